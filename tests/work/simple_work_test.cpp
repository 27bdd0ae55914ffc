// The simple work's run loop and the completion notice of every work.
#include "kiv/work/simple_work.h"

#include <gtest/gtest.h>

#include <boost/property_tree/ptree.hpp>
#include <stdexcept>
#include <string>
#include <vector>

#include "kiv/work/sequential_work.h"
#include "kiv/work/work_exception_data.h"
#include "work_test_support.h"

namespace kiv {
namespace {

using test::MakeWork;
using test::Recorder;
using test::TestWork;

TEST(SimpleWorkTest, RunLoopRepeatsWhileRetriesAreLeft) {
  struct Case {
    const char* name;
    uint32_t maxRetries;
    std::vector<WorkResult> script;
    int runs;
    WorkResult result;
  };
  const Case kCases[] = {
      {"retryable error without retries",
       0,
       {WorkResult::RetryableError},
       1,
       WorkResult::RetryableError},
      {"two retries then success",
       2,
       {WorkResult::RetryableError, WorkResult::RetryableError, WorkResult::Success},
       3,
       WorkResult::Success},
      {"allowance used up", 2, {WorkResult::RetryableError}, 3, WorkResult::RetryableError},
      {"failure is final", 3, {WorkResult::Failure}, 1, WorkResult::Failure},
      {"fatal error is final", 3, {WorkResult::FatalError}, 1, WorkResult::FatalError},
      {"interrupted is final", 3, {WorkResult::Interrupted}, 1, WorkResult::Interrupted},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    std::vector<WorkStatus> script;
    for (WorkResult r : c.script) script.emplace_back(r);
    auto work = MakeWork("w", TestWork::Script(script), c.maxRetries);
    Recorder first, second;
    work->AddRetryCallback(&first);
    work->AddRetryCallback(&second);

    const WorkStatus status = work->Run();
    EXPECT_EQ(status.result, c.result);
    EXPECT_FALSE(status.retry);
    EXPECT_EQ(work->Runs(), c.runs);
    for (const Recorder* recorder : {&first, &second}) {
      const auto retries = recorder->Retries();
      ASSERT_EQ(retries.size(), static_cast<size_t>(c.runs - 1));
      for (const auto& entry : retries) {
        EXPECT_EQ(entry.work, work);
        EXPECT_EQ(entry.status.result, WorkResult::RetryableError);
        EXPECT_TRUE(entry.status.retry);
      }
    }
    // Every attempt runs at once on the caller's thread.
    for (const auto& id : work->Threads()) EXPECT_EQ(id, std::this_thread::get_id());
    for (const auto& id : first.RetryThreads()) EXPECT_EQ(id, std::this_thread::get_id());
  }
}

TEST(SimpleWorkTest, ResetRestoresTheRetryAllowance) {
  auto work = MakeWork("w", TestWork::Returns(WorkResult::RetryableError), 1);
  EXPECT_EQ(work->Run().result, WorkResult::RetryableError);
  EXPECT_EQ(work->Runs(), 2);
  EXPECT_EQ(work->Run().result, WorkResult::RetryableError);
  EXPECT_EQ(work->Runs(), 3) << "no retry is left until Reset";
  work->Reset();
  work->Run();
  EXPECT_EQ(work->Runs(), 5);
}

TEST(SimpleWorkTest, InterruptedWorkDoesNotStartItsTask) {
  auto work = MakeWork("w", TestWork::Returns(WorkResult::Success));
  work->SetInterrupted();
  EXPECT_EQ(work->Run().result, WorkResult::Interrupted);
  EXPECT_EQ(work->Runs(), 0);
  work->Reset();
  EXPECT_FALSE(work->IsInterrupted());
  EXPECT_EQ(work->Run().result, WorkResult::Success);
}

TEST(SimpleWorkTest, InterruptBetweenAttemptsStopsTheRetries) {
  auto work = MakeWork(
      "w",
      [](TestWork& self) {
        self.SetInterrupted();
        return WorkStatus(WorkResult::RetryableError);
      },
      5);
  EXPECT_EQ(work->Run().result, WorkResult::Interrupted);
  EXPECT_EQ(work->Runs(), 1);
}

struct ThrowingRetryObserver : SimpleWorkRetryCallback {
  void OnSimpleWorkRetry(const std::shared_ptr<SimpleWork>&, const WorkStatus&) override {
    throw std::runtime_error("observer");
  }
};

TEST(SimpleWorkTest, EscapingExceptionsBecomeFatalErrors) {
  struct Case {
    const char* name;
    TestWork::Task task;
    bool throwingObserver;
    std::string exception;
    std::string what;
  };
  const Case kCases[] = {
      {"standard exception from the task",
       [](TestWork&) -> WorkStatus { throw std::invalid_argument("bad range"); }, false,
       "std::invalid_argument", "bad range"},
      {"other object from the task", [](TestWork&) -> WorkStatus { throw 7; }, false,
       "Unknown exception type", ""},
      {"exception from a retry observer", TestWork::Returns(WorkResult::RetryableError), true,
       "std::runtime_error", "observer"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    auto work = MakeWork("w", c.task, 3);
    ThrowingRetryObserver observer;
    if (c.throwingObserver) work->AddRetryCallback(&observer);
    const WorkStatus status = work->Run();
    EXPECT_EQ(status.result, WorkResult::FatalError);
    EXPECT_FALSE(status.retry);
    ASSERT_NE(std::dynamic_pointer_cast<WorkExceptionData>(status.data), nullptr);
    boost::property_tree::ptree tree;
    status.data->Describe(tree);
    EXPECT_EQ(tree.get("exception", ""), c.exception);
    EXPECT_EQ(tree.get("what", ""), c.what);
  }
}

// Logs the order in which the parts of a completion notice arrive.
struct OrderLog {
  std::vector<std::string> entries;
};

struct NamedObserver : WorkCompleteCallback {
  NamedObserver(OrderLog& log, std::string name) : log(log), name(std::move(name)) {}
  void OnWorkComplete(const std::shared_ptr<Work>&, const WorkStatus&) override {
    log.entries.push_back(name);
  }
  OrderLog& log;
  std::string name;
};

class LoggingSequence : public SequentialWork {
 public:
  explicit LoggingSequence(OrderLog& log) : log_(log) {}
  void OnWorkComplete(const std::shared_ptr<Work>& child, const WorkStatus& status) override {
    log_.entries.push_back("parent");
    SequentialWork::OnWorkComplete(child, status);
  }

 private:
  OrderLog& log_;
};

TEST(SimpleWorkTest, NotifyCompleteTellsWorkflowObserversThenParent) {
  OrderLog log;
  auto workflow = std::make_shared<NamedObserver>(log, "workflow");
  NamedObserver a(log, "a"), b(log, "b");
  auto work = MakeWork("w", TestWork::Returns(WorkResult::Success), 0, &a);
  work->AddCompleteCallback(&b);
  auto parent = std::make_shared<LoggingSequence>(log);
  parent->AddChild(work);
  parent->SetWorkflow(workflow);

  work->NotifyComplete(WorkStatus(WorkResult::Success));
  EXPECT_EQ(log.entries, (std::vector<std::string>{"workflow", "a", "b", "parent", "workflow"}))
      << "the parent, completing with its only child, notifies the workflow last";

  log.entries.clear();
  parent.reset();
  EXPECT_EQ(work->GetParent(), nullptr);
  work->NotifyComplete(WorkStatus(WorkResult::Success));
  EXPECT_EQ(log.entries, (std::vector<std::string>{"workflow", "a", "b"}));

  log.entries.clear();
  workflow.reset();
  work->NotifyComplete(WorkStatus(WorkResult::Success));
  EXPECT_EQ(log.entries, (std::vector<std::string>{"a", "b"}));
}

TEST(SimpleWorkTest, DescribeWithStatusNestsTheStatus) {
  auto work = MakeWork("ChunkWork", TestWork::Returns(WorkResult::Success));
  boost::property_tree::ptree tree;
  work->DescribeWithStatus(test::Status(WorkResult::FatalError, "no nodes"), tree);
  EXPECT_EQ(tree.get("name", ""), "ChunkWork");
  EXPECT_EQ(tree.get("workStatus.result", ""), "4");
  EXPECT_EQ(tree.get("workStatus.retry", ""), "false");
  EXPECT_EQ(tree.get("workStatus.data.errorMessage", ""), "no nodes");
}

TEST(SimpleWorkTest, PathIsParentPathAndIndex) {
  auto work = MakeWork("w", TestWork::Returns(WorkResult::Success));
  EXPECT_TRUE(work->GetPath().empty());
  work->SetPath({3, 1}, 4);
  EXPECT_EQ(work->GetPath(), (WorkPath{3, 1, 4}));
  work->SetPath({}, 0);
  EXPECT_EQ(work->GetPath(), (WorkPath{0}));
}

}  // namespace
}  // namespace kiv
