// Analytics posts against a real HTTP server on 127.0.0.1: endpoints, bodies, headers, the
// retry rule, the drain on destruction, and that a slow or dead service never holds up the
// caller. The null manager sends nothing.
#include "kiv/analytics/json_http_analytics_manager.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <boost/property_tree/ptree.hpp>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "kiv/analytics/json_http_analytics_event_work.h"
#include "kiv/analytics/null_analytics_manager.h"
#include "kiv/analytics/simple_event_analytics_request.h"
#include "kiv/analytics/transfer_analytics_request.h"
#include "kiv/engine/engine_settings.h"
#include "kiv/http/curl_request_factory.h"
#include "kiv/http/proxy.h"
#include "kiv/http/proxy_factory.h"
#include "kiv/http/round_robin_session_factory.h"
#include "kiv/work/simple_work_retry_callback.h"
#include "kiv/work/work_complete_callback.h"
#include "kiv/work/work_status.h"
#include "support/test_node_server.h"

namespace kiv {
namespace {

using boost::property_tree::ptree;

class DirectProxyFactory : public http::ProxyFactory {
 public:
  std::shared_ptr<http::Proxy> Create() override { return std::make_shared<http::EmptyProxy>(); }
};

// Collects what happens to event works: completions with their thread, and retries.
class Observer : public WorkCompleteCallback, public SimpleWorkRetryCallback {
 public:
  void OnWorkComplete(const std::shared_ptr<Work>&, const WorkStatus& status) override {
    std::lock_guard lock(mutex_);
    results_.push_back(status.result);
    threads_.push_back(std::this_thread::get_id());
    changed_.notify_all();
  }
  void OnSimpleWorkRetry(const std::shared_ptr<SimpleWork>&, const WorkStatus& status) override {
    EXPECT_TRUE(status.retry);
    ++retries_;
  }
  std::vector<WorkResult> Results() {
    std::lock_guard lock(mutex_);
    return results_;
  }
  std::vector<std::thread::id> Threads() {
    std::lock_guard lock(mutex_);
    return threads_;
  }
  int Retries() const { return retries_; }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<WorkResult> results_;
  std::vector<std::thread::id> threads_;
  std::atomic<int> retries_{0};
};

// A port on 127.0.0.1 that nobody listens on.
uint16_t ClosedPort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return ntohs(address.sin_port);
}

class JsonHttpAnalyticsManagerTest : public ::testing::Test {
 protected:
  JsonHttpAnalyticsManagerTest() : requestFactory_(&proxyFactory_) {
    transfers_.Start();
    events_.Start();
    settings_.analyticsTransfersUrl = transfers_.Url("/");
    settings_.analyticsEventsUrl = events_.Url("/");
    settings_.analyticsConnectTimeout = 5;
    settings_.analyticsTimeout = 10;
  }

  std::unique_ptr<JsonHttpAnalyticsManager> MakeManager() {
    return std::make_unique<JsonHttpAnalyticsManager>(&requestFactory_, &sessionFactory_,
                                                      settings_);
  }

  // An event with a small valid body, observed by observer_.
  std::shared_ptr<TrackEventWork> MakeEvent(EventManager& manager, int32_t flags) {
    auto event = manager.CreateEvent(flags);
    SimpleEventAnalyticsRequest("p", "k", "v", "numStarts").Save(event->GetParams());
    event->AddCompleteCallback(&observer_);
    event->AddRetryCallback(&observer_);
    return event;
  }

  DirectProxyFactory proxyFactory_;
  http::CurlRequestFactory requestFactory_;
  http::RoundRobinSessionFactory sessionFactory_;
  test::TestNodeServer transfers_;
  test::TestNodeServer events_;
  EngineSettings settings_;
  Observer observer_;
};

TEST_F(JsonHttpAnalyticsManagerTest, ChoosesTheEndpointByFlags) {
  struct Case {
    int32_t flags;
    bool transfers;
  };
  const Case kCases[] = {{32, true}, {1, false}, {0, false}, {33, false}, {-1, false}, {16, false}};
  auto manager = MakeManager();
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.flags);
    transfers_.ClearRequests();
    events_.ClearRequests();
    auto event = MakeEvent(*manager, c.flags);
    EXPECT_EQ(event->GetFlags(), c.flags);
    auto* work = dynamic_cast<JsonHttpAnalyticsEventWork*>(event.get());
    ASSERT_NE(work, nullptr);
    EXPECT_EQ(work->GetUrl(), c.transfers ? transfers_.Url("/") : events_.Url("/"));
    // The URL is also where the post goes.
    event->Reset();
    EXPECT_EQ(work->ExecuteTask().result, WorkResult::Success);
    EXPECT_EQ(transfers_.RequestCount(), c.transfers ? 1u : 0u);
    EXPECT_EQ(events_.RequestCount(), c.transfers ? 0u : 1u);
  }
}

TEST_F(JsonHttpAnalyticsManagerTest, PostsTheJsonFormWithItsHeaders) {
  {
    auto manager = MakeManager();
    auto transfer = manager->CreateEvent(AnalyticsManager::kTransferFlags);
    TransferAnalyticsRequest("partner", "package", "1.0", "00ff", 7, 1048576, 1500)
        .Save(transfer->GetParams());
    manager->PostEvent(transfer);
    auto event = manager->CreateEvent(AnalyticsManager::kEventFlags);
    ptree first;
    SimpleEventAnalyticsRequest("partner", "package", "1.0", "numCompletes").Save(first);
    event->GetParams().push_back({"", first});
    manager->PostEvent(event);
  }  // destruction delivers both

  const auto transferRequests = transfers_.Requests();
  ASSERT_EQ(transferRequests.size(), 1u);
  const auto eventRequests = events_.Requests();
  ASSERT_EQ(eventRequests.size(), 1u);
  struct Case {
    const char* name;
    test::RecordedRequest request;
    std::string body;
  };
  const Case kCases[] = {
      {"transfers report", transferRequests[0],
       "{\"pid\":\"partner\",\"pkgid\":\"package\",\"vid\":\"1.0\",\"tid\":\"00ff\","
       "\"status\":\"completed\",\"transferBytes\":\"1048576\",\"duration\":\"1.5\"}\n"},
      {"events report", eventRequests[0],
       "[{\"pid\":\"partner\",\"pkgid\":\"package\",\"vid\":\"1.0\",\"metrics\":{"
       "\"numCompletes\":\"1\"},\"dimensions\":{}}]\n"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.request.method, "POST");
    EXPECT_EQ(c.request.path, "/");
    EXPECT_EQ(c.request.body, c.body);
    EXPECT_EQ(c.request.contentType, "application/json");
    EXPECT_EQ(c.request.userAgent, "Brightel Fennimore TransferService 1.3.1");
  }
}

// Connection failures and server errors are sent twice in all (one retry by default); client
// errors, time-outs and unusable URLs once.
TEST_F(JsonHttpAnalyticsManagerTest, RetriesOnlyConnectFailuresAndServerErrors) {
  struct Case {
    const char* name;
    test::Fault fault;
    std::string url;  // empty: the events server
    size_t sent;      // requests the server saw
    int retries;
    WorkResult result;
  };
  test::Fault ok;
  test::Fault unavailable;
  unavailable.status = 503;
  test::Fault serverError;
  serverError.status = 500;
  test::Fault notFound;
  notFound.status = 404;
  test::Fault stall;
  stall.stall = std::chrono::milliseconds(30000);
  const std::string closed = "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/";
  const Case kCases[] = {
      {"success", ok, "", 1, 0, WorkResult::Success},
      {"503", unavailable, "", 2, 1, WorkResult::RetryableError},
      {"500", serverError, "", 2, 1, WorkResult::RetryableError},
      {"404", notFound, "", 1, 0, WorkResult::FatalError},
      {"time-out", stall, "", 1, 0, WorkResult::FatalError},
      {"connection refused", ok, closed, 0, 1, WorkResult::RetryableError},
      {"malformed URL", ok, "http://[::1", 0, 0, WorkResult::FatalError},
  };
  settings_.analyticsTimeout = 1;
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    events_.ClearRequests();
    events_.ClearFaults();
    events_.SetFault("/", c.fault);
    if (!c.url.empty()) settings_.analyticsEventsUrl = c.url;
    Observer observer;
    {
      auto manager = MakeManager();
      auto event = manager->CreateEvent(AnalyticsManager::kEventFlags);
      SimpleEventAnalyticsRequest("p", "k", "v", "numRetries").Save(event->GetParams());
      event->AddCompleteCallback(&observer);
      event->AddRetryCallback(&observer);
      manager->PostEvent(event);
    }
    settings_.analyticsEventsUrl = events_.Url("/");
    EXPECT_EQ(events_.RequestCount(), c.sent);
    EXPECT_EQ(observer.Retries(), c.retries);
    EXPECT_EQ(observer.Results(), std::vector<WorkResult>{c.result});
  }
}

TEST_F(JsonHttpAnalyticsManagerTest, RetryLimitComesFromTheSettings) {
  test::Fault unavailable;
  unavailable.status = 503;
  events_.SetFault("/", unavailable);
  settings_.analyticsRetries = 3;
  {
    auto manager = MakeManager();
    manager->PostEvent(MakeEvent(*manager, AnalyticsManager::kEventFlags));
  }
  EXPECT_EQ(events_.RequestCount(), 4u);
  EXPECT_EQ(observer_.Retries(), 3);
}

TEST_F(JsonHttpAnalyticsManagerTest, UnwritableParamsFailWithoutARequest) {
  {
    auto manager = MakeManager();
    auto event = manager->CreateEvent(AnalyticsManager::kEventFlags);
    event->GetParams().put_value("data at the top level");
    event->AddCompleteCallback(&observer_);
    manager->PostEvent(event);
  }
  EXPECT_EQ(events_.RequestCount(), 0u);
  EXPECT_EQ(observer_.Results(), std::vector<WorkResult>{WorkResult::FatalError});
}

// Destruction delivers every report queued so far, although the pool itself would drop them.
TEST_F(JsonHttpAnalyticsManagerTest, DestructionDeliversEveryQueuedReport) {
  test::Fault slow;
  slow.stall = std::chrono::milliseconds(20);
  events_.SetFault("/", slow);
  constexpr size_t kReports = 24;
  {
    auto manager = MakeManager();
    for (size_t i = 0; i < kReports; ++i) {
      manager->PostEvent(MakeEvent(*manager, AnalyticsManager::kEventFlags));
    }
  }
  EXPECT_EQ(events_.RequestCount(), kReports);
  EXPECT_EQ(observer_.Results(), std::vector<WorkResult>(kReports, WorkResult::Success));
}

// A service that never answers: PostEvent has returned while the server still holds the
// request, so the caller waited for nothing.
TEST_F(JsonHttpAnalyticsManagerTest, PostingNeverWaitsForTheService) {
  test::Fault silent;
  silent.stall = std::chrono::milliseconds(60000);
  events_.SetFault("/", silent);
  auto manager = MakeManager();
  manager->PostEvent(MakeEvent(*manager, AnalyticsManager::kEventFlags));
  while (events_.RequestCount() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_TRUE(observer_.Results().empty());
  events_.Stop();  // ends the stall; the post fails
  manager.reset();
  ASSERT_EQ(observer_.Results().size(), 1u);
  EXPECT_EQ(observer_.Results()[0], WorkResult::FatalError);
}

// A dead analytics host: many reports to a closed port cost the caller only the queueing; the
// failed posts and their retries happen on the pool's threads.
TEST_F(JsonHttpAnalyticsManagerTest, DeadHostCostsTheCallerNothing) {
  settings_.analyticsEventsUrl = "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/";
  constexpr size_t kReports = 30;
  {
    auto manager = MakeManager();
    for (size_t i = 0; i < kReports; ++i) {
      manager->PostEvent(MakeEvent(*manager, AnalyticsManager::kEventFlags));
    }
  }
  EXPECT_EQ(observer_.Results(), std::vector<WorkResult>(kReports, WorkResult::RetryableError));
  EXPECT_EQ(observer_.Retries(), static_cast<int>(kReports));
  for (const auto& thread : observer_.Threads()) EXPECT_NE(thread, std::this_thread::get_id());
}

TEST_F(JsonHttpAnalyticsManagerTest, NullManagerSendsNothing) {
  {
    NullAnalyticsManager manager;
    for (const int32_t flags : {AnalyticsManager::kTransferFlags, AnalyticsManager::kEventFlags}) {
      auto event = MakeEvent(manager, flags);
      EXPECT_NE(dynamic_cast<NullTrackEventWork*>(event.get()), nullptr);
      EXPECT_EQ(event->GetFlags(), flags);
      EXPECT_EQ(event->ExecuteTask().result, WorkResult::Success);
      manager.PostEvent(event);
      // Released, not kept in a queue.
      EXPECT_EQ(event.use_count(), 1);
    }
  }
  EXPECT_EQ(transfers_.RequestCount(), 0u);
  EXPECT_EQ(events_.RequestCount(), 0u);
  EXPECT_TRUE(observer_.Results().empty());
}

}  // namespace
}  // namespace kiv
