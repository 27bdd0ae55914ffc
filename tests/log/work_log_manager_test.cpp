// The work log on real files in a temporary folder: line format, file naming on collisions,
// the level filter with the flags of completions and retries, lazy opening, failures that
// never reach the caller, and the drain on destruction.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <boost/property_tree/ptree.hpp>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "kiv/analytics/track_event_work.h"
#include "kiv/file/posix/filesystem_impl.h"
#include "kiv/log/json_log_event_work.h"
#include "kiv/log/json_work_log_manager.h"
#include "kiv/log/set_up_on_complete_work.h"
#include "kiv/log/set_up_on_retry_work.h"
#include "kiv/work/asio_work_manager.h"
#include "kiv/work/work_complete_callback.h"
#include "kiv/work/work_exception_data.h"
#include "kiv/work/work_status.h"

namespace kiv {
namespace {

namespace fs = std::filesystem;
using boost::property_tree::ptree;

// 2014-04-03 16:43:00 UTC.
constexpr std::time_t kNow = 1396543380;
const char kPrefix[] = "[2014-04-03 16:43:00] ";
const char kFileName[] = "Log.2014.04.03.16.43.00.txt";

// The platform file system with its temporary folder moved into the test's own folder.
class TestFilesystem : public file::posix::FilesystemImpl {
 public:
  explicit TestFilesystem(fs::path temp) : temp_(std::move(temp)) {}
  Path TempFolder() override { return temp_; }

 private:
  fs::path temp_;
};

// A work that describes itself with a name and, when given, an "important" text.
class ProbeWork : public SimpleWork {
 public:
  explicit ProbeWork(std::string important = "", bool throwOnDescribe = false)
      : important_(std::move(important)), throwOnDescribe_(throwOnDescribe) {}
  WorkStatus ExecuteTask() override { return WorkStatus(WorkResult::Success); }
  void Interrupt() override {}
  void Describe(ptree& tree) const override {
    if (throwOnDescribe_) throw std::runtime_error("cannot describe");
    tree.put("name", "ProbeWork");
    if (!important_.empty()) tree.put("important", important_);
  }

 private:
  std::string important_;
  bool throwOnDescribe_;
};

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class WorkLogManagerTest : public ::testing::Test {
 protected:
  WorkLogManagerTest() {
    std::string pattern = (fs::temp_directory_path() / "kiv-log-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    temp_ = pattern;
    filesystem_ = std::make_unique<TestFilesystem>(temp_);
  }
  ~WorkLogManagerTest() override { fs::remove_all(temp_); }

  std::unique_ptr<JsonWorkLogManager> MakeManager(int32_t level,
                                                  const std::string& folder = "logs") {
    return std::make_unique<JsonWorkLogManager>(level, folder, filesystem_.get(),
                                                [] { return kNow; });
  }

  // The names in the logs folder, sorted; empty when the folder does not exist.
  std::vector<std::string> LogFiles() const {
    std::vector<std::string> names;
    if (!fs::exists(temp_ / "logs")) return names;
    for (const auto& entry : fs::directory_iterator(temp_ / "logs")) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  std::string LogText(const std::string& name = kFileName) const {
    return ReadFile(temp_ / "logs" / name);
  }

  static void PostTransferEvent(LogManager& manager, const std::string& name,
                                const std::string& transferId) {
    auto event = manager.CreateEvent(LogManager::kTransferEvent);
    event->GetParams().put("event", name);
    event->GetParams().put("params.transferId", transferId);
    event->GetParams().put("params.packageId", "Corvan/Update");
    manager.PostEvent(event);
  }

  fs::path temp_;
  std::unique_ptr<TestFilesystem> filesystem_;
};

TEST_F(WorkLogManagerTest, WritesOneJsonLinePerEvent) {
  {
    auto manager = MakeManager(-9);
    EXPECT_TRUE(LogFiles().empty());  // opened lazily, at the first line
    PostTransferEvent(*manager, "Start", "0123abcd");
  }
  EXPECT_EQ(LogFiles(), std::vector<std::string>{kFileName});
  EXPECT_EQ(LogText(), std::string(kPrefix) +
                           "{\"event\":\"Start\",\"params\":{\"transferId\":\"0123abcd\","
                           "\"packageId\":\"Corvan\\/Update\"}}\n");
}

TEST_F(WorkLogManagerTest, RunsInTheSameSecondWriteSeparateFiles) {
  auto first = MakeManager(-9);
  auto second = MakeManager(-9);
  auto third = MakeManager(-9);
  PostTransferEvent(*first, "Initialize", "first");
  first.reset();
  PostTransferEvent(*second, "Initialize", "second");
  second.reset();
  PostTransferEvent(*third, "Initialize", "third");
  third.reset();
  const std::string name = kFileName;
  EXPECT_EQ(LogFiles(), (std::vector<std::string>{name, name + ".1", name + ".2"}));
  struct Case {
    std::string file;
    std::string id;
  };
  for (const auto& c :
       {Case{name, "first"}, Case{name + ".1", "second"}, Case{name + ".2", "third"}}) {
    SCOPED_TRACE(c.file);
    EXPECT_EQ(LogText(c.file), std::string(kPrefix) +
                                   "{\"event\":\"Initialize\",\"params\":{"
                                   "\"transferId\":\"" +
                                   c.id + "\",\"packageId\":\"Corvan\\/Update\"}}\n");
  }
}

TEST_F(WorkLogManagerTest, FlagsOfCompletionsAndRetries) {
  struct Case {
    const char* name;
    bool important;
    WorkResult result;
    int32_t completion;
    int32_t retry;
  };
  const Case kCases[] = {
      {"important fatal", true, WorkResult::FatalError, 18, 20},
      {"important retryable", true, WorkResult::RetryableError, 18, 20},
      {"important success", true, WorkResult::Success, 24, 20},
      {"important failure", true, WorkResult::Failure, 24, 20},
      {"important interrupted", true, WorkResult::Interrupted, 24, 20},
      {"plain fatal", false, WorkResult::FatalError, 2, 4},
      {"plain retryable", false, WorkResult::RetryableError, 2, 4},
      {"plain success", false, WorkResult::Success, 8, 4},
      {"plain failure", false, WorkResult::Failure, 8, 4},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(SetUpOnCompleteWork::CompletionFlags(c.important, c.result), c.completion);
    EXPECT_EQ(SetUpOnRetryWork::RetryFlags(c.important), c.retry);
  }
}

// Which reports of which works reach the file, level by level, and what their lines say.
TEST_F(WorkLogManagerTest, LevelSelectsTheKindsWritten) {
  const std::string completeImportantFatal =
      "{\"event\":\"OnWorkComplete\",\"params\":{\"name\":\"ProbeWork\",\"important\":\"true\","
      "\"workStatus\":{\"result\":\"4\",\"retry\":\"false\"}}}\n";
  const std::string completePlainSuccess =
      "{\"event\":\"OnWorkComplete\",\"params\":{\"name\":\"ProbeWork\","
      "\"workStatus\":{\"result\":\"0\",\"retry\":\"false\"}}}\n";
  const std::string completeImportantSuccess =
      "{\"event\":\"OnWorkComplete\",\"params\":{\"name\":\"ProbeWork\",\"important\":\"1\","
      "\"workStatus\":{\"result\":\"0\",\"retry\":\"false\"}}}\n";
  const std::string retryPlain =
      "{\"event\":\"OnSimpleWorkRetry\",\"params\":{\"name\":\"ProbeWork\","
      "\"workStatus\":{\"result\":\"3\",\"retry\":\"true\"}}}\n";
  const std::string transfer =
      "{\"event\":\"Start\",\"params\":{\"transferId\":\"t\",\"packageId\":\"Corvan\\/Update\"}}\n";

  struct Case {
    const char* name;
    int32_t level;
    std::vector<std::string> lines;  // in any order; empty: no file at all
  };
  const std::vector<Case> kCases = {
      {"default: all but ordinary completions",
       -9,
       {completeImportantFatal, completeImportantSuccess, retryPlain, transfer}},
      {"everything (-1)",
       -1,
       {completeImportantFatal, completePlainSuccess, completeImportantSuccess, retryPlain,
        transfer}},
      {"everything (31)",
       31,
       {completeImportantFatal, completePlainSuccess, completeImportantSuccess, retryPlain,
        transfer}},
      {"nothing", 0, {}},
      {"transfer events only", 1, {transfer}},
      {"failed completions only", 2, {completeImportantFatal}},
      {"retries only", 4, {retryPlain}},
      {"ordinary completions only", 8, {completePlainSuccess, completeImportantSuccess}},
      {"important only", 16, {completeImportantFatal, completeImportantSuccess}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(temp_ / "logs");
    {
      auto manager = MakeManager(c.level);
      manager->OnWorkComplete(std::make_shared<ProbeWork>("true"),
                              WorkStatus(WorkResult::FatalError));
      manager->OnWorkComplete(std::make_shared<ProbeWork>(), WorkStatus(WorkResult::Success));
      manager->OnWorkComplete(std::make_shared<ProbeWork>("1"), WorkStatus(WorkResult::Success));
      // Not a true value: an ordinary completion.
      manager->OnWorkComplete(std::make_shared<ProbeWork>("yes"), WorkStatus(WorkResult::Success));
      WorkStatus retry(WorkResult::RetryableError);
      retry.retry = true;
      manager->OnSimpleWorkRetry(std::make_shared<ProbeWork>(), retry);
      PostTransferEvent(*manager, "Start", "t");
    }
    if (c.lines.empty()) {
      EXPECT_TRUE(LogFiles().empty());
      EXPECT_FALSE(fs::exists(temp_ / "logs"));
      continue;
    }
    ASSERT_EQ(LogFiles(), std::vector<std::string>{kFileName});
    std::vector<std::string> expected;
    for (const auto& line : c.lines) expected.push_back(kPrefix + line);
    // The "yes" work is an ordinary completion: level 8 and -1 write it too.
    if (c.level & 8) {
      expected.push_back(std::string(kPrefix) +
                         "{\"event\":\"OnWorkComplete\",\"params\":{\"name\":\"ProbeWork\","
                         "\"important\":\"yes\",\"workStatus\":{\"result\":\"0\",\"retry\":"
                         "\"false\"}}}\n");
    }
    std::vector<std::string> actual;
    std::istringstream text(LogText());
    for (std::string line; std::getline(text, line);) actual.push_back(line + "\n");
    std::sort(expected.begin(), expected.end());
    std::sort(actual.begin(), actual.end());
    EXPECT_EQ(actual, expected);
  }
}

// A logs folder that cannot be created costs the caller nothing: events still succeed, and
// the first line after the obstacle is gone opens the file.
TEST_F(WorkLogManagerTest, UnwritableFolderDropsLinesAndRecovers) {
  std::ofstream(temp_ / "logs") << "a file where the folder should be";
  struct Recorder : WorkCompleteCallback {
    void OnWorkComplete(const std::shared_ptr<Work>&, const WorkStatus& status) override {
      std::lock_guard lock(mutex);
      results.push_back(status.result);
    }
    std::mutex mutex;
    std::vector<WorkResult> results;
  } recorder;
  auto manager = MakeManager(-1);
  for (int i = 0; i < 3; ++i) {
    auto event = manager->CreateEvent(LogManager::kTransferEvent);
    event->GetParams().put("event", "Lost" + std::to_string(i));
    event->AddCompleteCallback(&recorder);
    manager->PostEvent(event);
  }
  // A line written on the caller's thread fails just as quietly.
  EXPECT_NO_THROW(manager->WriteLine(LogManager::kTransferEvent, "{}\n"));
  manager->OnWorkComplete(std::make_shared<ProbeWork>(), WorkStatus(WorkResult::FatalError));
  // The set-up and event works run on the pool; wait for the three events to be done.
  while (true) {
    {
      std::lock_guard lock(recorder.mutex);
      if (recorder.results.size() == 3) break;
    }
    std::this_thread::yield();
  }
  EXPECT_EQ(recorder.results, std::vector<WorkResult>(3, WorkResult::Success));
  fs::remove(temp_ / "logs");
  manager->WriteLine(LogManager::kTransferEvent, "{\"event\":\"Kept\"}\n");
  manager.reset();
  const auto files = LogFiles();
  ASSERT_EQ(files.size(), 1u);
  // Only lines written after the folder could be made are there.
  const std::string text = LogText(files[0]);
  EXPECT_EQ(text.find("Lost"), std::string::npos);
  EXPECT_NE(text.find(std::string(kPrefix) + "{\"event\":\"Kept\"}\n"), std::string::npos);
}

TEST_F(WorkLogManagerTest, SetUpWorkReportsADescriptionThatThrows) {
  auto manager = MakeManager(-1);
  const WorkStatus status =
      SetUpOnCompleteWork(manager.get(), std::make_shared<ProbeWork>("", true),
                          WorkStatus(WorkResult::Success))
          .ExecuteTask();
  EXPECT_EQ(status.result, WorkResult::FatalError);
  EXPECT_NE(std::dynamic_pointer_cast<WorkExceptionData>(status.data), nullptr);
  const WorkStatus retry = SetUpOnRetryWork(manager.get(), std::make_shared<ProbeWork>("", true),
                                            WorkStatus(WorkResult::RetryableError))
                               .ExecuteTask();
  EXPECT_EQ(retry.result, WorkResult::FatalError);
  // Through the observer the failure stays inside the log: nothing written, nothing thrown.
  EXPECT_NO_THROW(manager->OnWorkComplete(std::make_shared<ProbeWork>("", true),
                                          WorkStatus(WorkResult::FatalError)));
  manager.reset();
  EXPECT_TRUE(LogFiles().empty());
}

// A work that registers the log as its observers, run by a real pool: its retry and its
// important completion both reach the file (in either order: the log has two threads).
TEST_F(WorkLogManagerTest, ObservesWorksRunByAPool) {
  class FlakyWork : public ProbeWork {
   public:
    explicit FlakyWork(JsonWorkLogManager* log) : ProbeWork("true") {
      AddCompleteCallback(log);
      AddRetryCallback(log);
    }
    WorkStatus ExecuteTask() override {
      return WorkStatus(++attempts_ == 1 ? WorkResult::RetryableError : WorkResult::Success);
    }
    bool CanRetry() override { return attempts_ < 2; }

   private:
    int attempts_ = 0;
  };
  {
    auto manager = MakeManager(-9);
    {
      AsioWorkManager pool(1, true);
      pool.Execute(std::make_shared<FlakyWork>(manager.get()));
    }
  }
  const std::string retry =
      std::string(kPrefix) +
      "{\"event\":\"OnSimpleWorkRetry\",\"params\":{\"name\":\"ProbeWork\","
      "\"important\":\"true\",\"workStatus\":{\"result\":\"3\",\"retry\":\"true\"}}}\n";
  const std::string complete =
      std::string(kPrefix) +
      "{\"event\":\"OnWorkComplete\",\"params\":{\"name\":\"ProbeWork\","
      "\"important\":\"true\",\"workStatus\":{\"result\":\"0\",\"retry\":\"false\"}}}\n";
  const std::string text = LogText();
  EXPECT_TRUE(text == retry + complete || text == complete + retry) << text;
}

// Many threads report at once; destruction writes every queued line, and lines never mix.
TEST_F(WorkLogManagerTest, ConcurrentEventsAreAllWrittenWhole) {
  constexpr int kThreads = 4;
  constexpr int kEvents = 150;
  {
    auto manager = MakeManager(-9);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
      threads.emplace_back([&manager, t] {
        for (int i = 0; i < kEvents; ++i) {
          PostTransferEvent(*manager, "Progress", std::to_string(t) + "-" + std::to_string(i));
          WorkStatus retry(WorkResult::RetryableError);
          retry.retry = true;
          manager->OnSimpleWorkRetry(std::make_shared<ProbeWork>(), retry);
        }
      });
    }
    for (auto& thread : threads) thread.join();
  }
  std::istringstream text(LogText());
  std::set<std::string> ids;
  int retries = 0;
  for (std::string line; std::getline(text, line);) {
    ASSERT_EQ(line.rfind(kPrefix, 0), 0u) << line;
    const std::string json = line.substr(sizeof kPrefix - 1);
    if (json.rfind("{\"event\":\"OnSimpleWorkRetry\"", 0) == 0) {
      ++retries;
      continue;
    }
    const std::string head = "{\"event\":\"Progress\",\"params\":{\"transferId\":\"";
    ASSERT_EQ(json.rfind(head, 0), 0u) << line;
    ids.insert(json.substr(head.size(), json.find('"', head.size()) - head.size()));
  }
  EXPECT_EQ(ids.size(), static_cast<size_t>(kThreads * kEvents));
  EXPECT_EQ(retries, kThreads * kEvents);
}

}  // namespace
}  // namespace kiv
