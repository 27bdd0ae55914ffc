#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

#include "http/test_util.h"
#include "kiv/http/curl_request_factory.h"
#include "kiv/http/pooled_request_wrapper.h"
#include "kiv/http/proxy.h"
#include "kiv/http/proxy_factory.h"
#include "kiv/http/round_robin_request_pool.h"
#include "kiv/http/round_robin_session_factory.h"
#include "kiv/http/session.h"
#include "support/test_node_server.h"

namespace kiv::http {
namespace {

using testing::Sink;

// A request whose Reset can be refused, as a request that is still running refuses it.
class FakeRequest : public Request {
 public:
  explicit FakeRequest(int id) : id(id) {}
  RequestResult Perform() override { return RequestResult(State::Success, 0); }
  RequestResult GetResult() override { return RequestResult(State::Success, 0); }
  void Cancel() override {}
  bool Reset(const RequestParams& params, const std::string& proxy) override {
    lastUrl = params.url;
    lastProxy = proxy;
    return !running;
  }

  const int id;
  bool running = false;
  std::string lastUrl;
  std::string lastProxy;
};

std::shared_ptr<FakeRequest> Fake(int id) { return std::make_shared<FakeRequest>(id); }

int IdOf(const std::shared_ptr<Request>& request) {
  auto fake = std::dynamic_pointer_cast<FakeRequest>(request);
  return fake ? fake->id : -1;
}

TEST(RoundRobinRequestPoolTest, HandsOutTheOldestReleasedFirst) {
  RoundRobinRequestPool pool;
  Sink sink;
  const RequestParams params("http://h/x", &sink.writer);
  auto a = Fake(1), b = Fake(2), c = Fake(3);
  pool.Add(a, false);
  pool.Add(b, false);
  pool.Add(c, true);
  EXPECT_EQ(pool.AvailableCount(), 1u);
  pool.Release(b);
  pool.Release(a);
  pool.Release(b);  // already available: stays in its place
  EXPECT_EQ(pool.AvailableCount(), 3u);
  std::vector<int> order;
  while (auto request = pool.Acquire(params, "p:1")) order.push_back(IdOf(request));
  EXPECT_EQ(order, (std::vector<int>{3, 2, 1}));
  EXPECT_EQ(a->lastUrl, "http://h/x");
  EXPECT_EQ(a->lastProxy, "p:1");
  EXPECT_EQ(pool.RegisteredCount(), 3u);
}

TEST(RoundRobinRequestPoolTest, DropsRequestsThatAreStillRunning) {
  RoundRobinRequestPool pool;
  Sink sink;
  const RequestParams params("http://h/x", &sink.writer);
  auto running = Fake(1), idle = Fake(2);
  pool.Add(running, true);
  pool.Add(idle, true);
  running->running = true;
  EXPECT_EQ(IdOf(pool.Acquire(params, "")), 2);
  EXPECT_EQ(pool.RegisteredCount(), 1u);
  // The dropped request does not come back, and the pool does not grow back.
  pool.Release(running);
  EXPECT_EQ(pool.AvailableCount(), 0u);
  EXPECT_EQ(pool.Acquire(params, ""), nullptr);
  // Adding a registered request again does not make it available twice.
  pool.Add(idle, true);
  pool.Release(idle);
  pool.Add(idle, true);
  EXPECT_EQ(pool.AvailableCount(), 1u);
  // Releasing something that never was in the pool is ignored.
  pool.Release(Fake(9));
  pool.Release(nullptr);
  EXPECT_EQ(pool.AvailableCount(), 1u);
}

class CountingProxyFactory : public ProxyFactory {
 public:
  class CountingProxy : public Proxy {
   public:
    explicit CountingProxy(std::atomic<int>* lookups) : lookups_(lookups) {}
    std::string ProxyForUrl(const std::string&) override {
      ++*lookups_;
      return "";
    }

   private:
    std::atomic<int>* lookups_;
  };
  std::shared_ptr<Proxy> Create() override {
    ++created;
    return std::make_shared<CountingProxy>(&lookups);
  }
  std::atomic<int> created{0};
  std::atomic<int> lookups{0};
};

class SessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server_.AddFile("/a", "first");
    server_.AddFile("/b", "second");
    server_.Start();
  }
  kiv::test::TestNodeServer server_;
  CountingProxyFactory proxies_;
  CurlRequestFactory factory_{&proxies_};
  RoundRobinSessionFactory sessions_;
};

std::shared_ptr<Request> Pooled(const std::shared_ptr<Request>& request) {
  auto wrapper = std::dynamic_pointer_cast<PooledRequestWrapper>(request);
  return wrapper ? wrapper->GetPooledRequest() : nullptr;
}

TEST_F(SessionTest, ReusesTheOldestReleasedRequestAndItsConnection) {
  auto session = sessions_.Create();
  Sink sinkA, sinkB;
  auto first = factory_.CreateRequest(RequestParams(server_.Url("/a"), &sinkA.writer), session);
  auto second = factory_.CreateRequest(RequestParams(server_.Url("/b"), &sinkB.writer), session);
  auto pooledFirst = Pooled(first);
  auto pooledSecond = Pooled(second);
  ASSERT_TRUE(pooledFirst && pooledSecond);
  EXPECT_NE(pooledFirst, pooledSecond);  // overlapping requests need two
  EXPECT_EQ(first->Perform().state, State::Success);
  EXPECT_EQ(second->Perform().state, State::Success);
  EXPECT_EQ(sinkA.Text(), "first");
  EXPECT_EQ(sinkB.Text(), "second");
  first.reset();  // released first
  second.reset();

  Sink sinkC;
  auto third = factory_.CreateRequest(RequestParams(server_.Url("/b"), &sinkC.writer), session);
  EXPECT_EQ(Pooled(third), pooledFirst);
  EXPECT_EQ(third->GetResult().state, State::Idle);
  EXPECT_EQ(third->Perform().state, State::Success);
  EXPECT_EQ(sinkC.Text(), "second");
  const auto requests = server_.Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[2].connection, requests[0].connection);
  EXPECT_EQ(server_.ConnectionCount(), 2u);

  auto pool = std::dynamic_pointer_cast<RoundRobinRequestPool>(session->GetPool());
  ASSERT_TRUE(pool);
  EXPECT_EQ(pool->RegisteredCount(), 2u);
  // One proxy decision per session, one proxy string per request.
  EXPECT_EQ(proxies_.created, 1);
  EXPECT_EQ(proxies_.lookups, 3);
}

TEST_F(SessionTest, WithoutASessionEveryRequestIsNewAndUnpooled) {
  Sink sink;
  auto a = factory_.CreateRequest(RequestParams(server_.Url("/a"), &sink.writer), nullptr);
  auto b = factory_.CreateRequest(RequestParams(server_.Url("/a"), &sink.writer), nullptr);
  EXPECT_EQ(Pooled(a), nullptr);
  EXPECT_NE(a, b);
  EXPECT_EQ(proxies_.created, 2);
  EXPECT_EQ(a->Perform().state, State::Success);
}

TEST_F(SessionTest, ParallelRequestsOfOneSessionShareItsPool) {
  auto session = sessions_.Create();
  constexpr int kThreads = 4;
  constexpr int kRounds = 10;
  std::vector<std::thread> threads;
  std::atomic<int> successes{0};
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < kRounds; ++i) {
        Sink sink;
        auto request =
            factory_.CreateRequest(RequestParams(server_.Url("/a"), &sink.writer), session);
        if (request->Perform().state == State::Success && sink.Text() == "first") ++successes;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(successes, kThreads * kRounds);
  auto pool = std::dynamic_pointer_cast<RoundRobinRequestPool>(session->GetPool());
  EXPECT_LE(pool->RegisteredCount(), static_cast<size_t>(kThreads));
  EXPECT_EQ(pool->AvailableCount(), pool->RegisteredCount());
}

TEST(RequestFactoryTest, ErrorsOfCreatePassThrough) {
  class FailingFactory : public RequestFactory {
   public:
    using RequestFactory::RequestFactory;
    std::shared_ptr<Request> Create(const RequestParams&, const std::string&) override {
      throw std::runtime_error("curl_easy_init failed");
    }
  };
  FailingFactory factory(nullptr);
  RoundRobinSessionFactory sessions;
  Sink sink;
  const RequestParams params("http://127.0.0.1/x", &sink.writer);
  EXPECT_THROW(factory.CreateRequest(params, nullptr), std::runtime_error);
  EXPECT_THROW(factory.CreateRequest(params, sessions.Create()), std::runtime_error);
}

}  // namespace
}  // namespace kiv::http
