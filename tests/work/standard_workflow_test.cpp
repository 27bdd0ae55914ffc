// The workflow: start, ordering by path, the running limit, pause/resume, retry-pending, fatal
// errors and abort.
#include "kiv/work/standard_workflow.h"

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "kiv/work/asio_work_manager.h"
#include "kiv/work/parallel_work.h"
#include "kiv/work/sequential_work.h"
#include "work_test_support.h"

namespace kiv {
namespace {

using test::ErrorMessage;
using test::MakeWork;
using test::Recorder;
using test::RetryPendingRecorder;
using test::Status;
using test::TestWork;
using test::WaitUntil;

class StandardWorkflowTest : public ::testing::Test {
 protected:
  std::shared_ptr<StandardWorkflow> Make(std::shared_ptr<Work> root, uint32_t maxRunning) {
    root->AddCompleteCallback(&recorder_);
    auto workflow = StandardWorkflow::Create(std::move(root), &pool_, maxRunning);
    workflow->AddRetryableErrorCallback(&retryPending_);
    return workflow;
  }
  // A task that logs its name, for checking the order in which works ran.
  TestWork::Task Logged(std::string name) {
    return [this, name](TestWork&) {
      std::lock_guard guard(orderMutex_);
      order_.push_back(name);
      return WorkStatus(WorkResult::Success);
    };
  }
  std::vector<std::string> Order() {
    std::lock_guard guard(orderMutex_);
    return order_;
  }

  Recorder recorder_;
  RetryPendingRecorder retryPending_;
  std::mutex orderMutex_;
  std::vector<std::string> order_;
  AsioWorkManager pool_{4, false};
};

TEST_F(StandardWorkflowTest, CreateRefusesBadArguments) {
  auto work = MakeWork("w", TestWork::Returns(WorkResult::Success));
  EXPECT_THROW(StandardWorkflow::Create(nullptr, &pool_, 1), std::invalid_argument);
  EXPECT_THROW(StandardWorkflow::Create(work, nullptr, 1), std::invalid_argument);
  EXPECT_THROW(StandardWorkflow::Create(work, &pool_, 0), std::invalid_argument);
}

TEST_F(StandardWorkflowTest, StartsOnceAndRunsByPathWithinTheLimit) {
  // With one slot, ready works run in path order: x1 (queued after y) still runs before y.
  auto inner = std::make_shared<SequentialWork>();
  inner->AddChild(MakeWork("x0", Logged("x0")));
  inner->AddChild(MakeWork("x1", Logged("x1")));
  auto root = std::make_shared<ParallelWork>();
  root->AddChild(inner);
  root->AddChild(MakeWork("y", Logged("y")));
  root->AddChild(MakeWork("z", Logged("z")));
  auto workflow = Make(root, 1);
  EXPECT_FALSE(workflow->IsStarted());
  ASSERT_TRUE(workflow->Start());
  EXPECT_FALSE(workflow->Start());
  ASSERT_TRUE(recorder_.WaitForCompletions(1));
  EXPECT_EQ(Order(), (std::vector<std::string>{"x0", "x1", "y", "z"}));
  EXPECT_EQ(recorder_.Completions()[0].status.result, WorkResult::Success);
  EXPECT_EQ(workflow->GetState(), WorkflowState::Complete);
  EXPECT_TRUE(workflow->IsFinished());
}

TEST_F(StandardWorkflowTest, PauseInterruptsAndResumeRunsAgain) {
  auto a = MakeWork("a", TestWork::BlockUntilInterrupted());
  auto b = MakeWork("b", TestWork::BlockUntilInterrupted());
  auto stubborn = MakeWork("stubborn", TestWork::WaitForRelease());
  auto root = std::make_shared<ParallelWork>();
  for (auto& w : {a, b, stubborn}) root->AddChild(w);
  auto workflow = Make(root, 3);
  ASSERT_TRUE(workflow->Start());
  for (auto& w : {a, b, stubborn}) ASSERT_TRUE(w->WaitStarted());

  ASSERT_TRUE(workflow->Pause());
  EXPECT_TRUE(workflow->IsPaused());
  EXPECT_FALSE(workflow->Pause());
  ASSERT_TRUE(WaitUntil([&] { return workflow->GetReadyCount() == 2; }));
  // A task that ignores the interrupt completes normally while the workflow is paused.
  stubborn->Release();
  ASSERT_TRUE(WaitUntil([&] { return workflow->GetRunningCount() == 0; }));
  EXPECT_EQ(workflow->GetState(), WorkflowState::Paused);
  EXPECT_EQ(a->Runs(), 1);
  EXPECT_EQ(b->Runs(), 1);
  EXPECT_EQ(stubborn->Runs(), 1);

  a->Release();
  b->Release();
  ASSERT_TRUE(workflow->Resume());
  EXPECT_FALSE(workflow->Resume());
  ASSERT_TRUE(recorder_.WaitForCompletions(1));
  EXPECT_EQ(recorder_.Completions()[0].status.result, WorkResult::Success);
  EXPECT_EQ(a->Runs(), 2);
  EXPECT_EQ(b->Runs(), 2);
  EXPECT_EQ(stubborn->Runs(), 1);
}

TEST_F(StandardWorkflowTest, UnretriedErrorWaitsForRetry) {
  auto other = MakeWork("other", TestWork::BlockUntilInterrupted());
  auto flaky = MakeWork("flaky", [&](TestWork& self) {
    if (self.Runs() > 1) return WorkStatus(WorkResult::Success);
    other->WaitStarted();
    return Status(WorkResult::RetryableError, "timeout");
  });
  auto root = std::make_shared<ParallelWork>();
  root->AddChild(other);
  root->AddChild(flaky);
  auto workflow = Make(root, 2);
  ASSERT_TRUE(workflow->Start());
  ASSERT_TRUE(WaitUntil([&] { return retryPending_.Count() == 1; }));
  EXPECT_EQ(workflow->GetState(), WorkflowState::RetryPending);
  EXPECT_TRUE(workflow->IsRetryPending());
  EXPECT_EQ(retryPending_.WorkAt(0), flaky);
  EXPECT_EQ(retryPending_.StatusAt(0).result, WorkResult::RetryableError);
  EXPECT_FALSE(retryPending_.StatusAt(0).retry);
  EXPECT_EQ(ErrorMessage(retryPending_.StatusAt(0)), "timeout");
  // The other running work was interrupted and both wait in the ready queue.
  ASSERT_TRUE(WaitUntil([&] { return workflow->GetReadyCount() == 2; }));
  EXPECT_GE(other->Interrupts(), 1);
  EXPECT_FALSE(workflow->Resume());

  // Paused while retry-pending: Retry leaves it paused, Resume starts the works.
  ASSERT_TRUE(workflow->Pause());
  EXPECT_EQ(workflow->GetState(), WorkflowState::PausedRetryPending);
  ASSERT_TRUE(workflow->Retry());
  EXPECT_EQ(workflow->GetState(), WorkflowState::Paused);
  EXPECT_FALSE(workflow->Retry());
  EXPECT_EQ(flaky->Runs(), 1);
  other->Release();
  ASSERT_TRUE(workflow->Resume());
  ASSERT_TRUE(recorder_.WaitForCompletions(1));
  EXPECT_EQ(recorder_.Completions()[0].status.result, WorkResult::Success);
  EXPECT_EQ(flaky->Runs(), 2);
  EXPECT_EQ(other->Runs(), 2);
  EXPECT_EQ(retryPending_.Count(), 1u);
}

TEST_F(StandardWorkflowTest, ObserverMayRetryFromInsideTheNotice) {
  retryPending_.action = [](const std::shared_ptr<Workflow>& workflow) {
    EXPECT_TRUE(workflow->Retry());
  };
  auto flaky = MakeWork("flaky", TestWork::Script({WorkStatus(WorkResult::RetryableError),
                                                   WorkStatus(WorkResult::RetryableError),
                                                   WorkStatus(WorkResult::Success)}));
  auto workflow = Make(flaky, 1);
  ASSERT_TRUE(workflow->Start());
  ASSERT_TRUE(recorder_.WaitForCompletions(3));
  const auto completions = recorder_.Completions();
  EXPECT_EQ(completions[0].status.result, WorkResult::RetryableError);
  EXPECT_EQ(completions[2].status.result, WorkResult::Success);
  EXPECT_EQ(retryPending_.Count(), 2u);
  EXPECT_EQ(flaky->Runs(), 3);
  EXPECT_TRUE(WaitUntil([&] { return workflow->GetState() == WorkflowState::Complete; }));
}

TEST_F(StandardWorkflowTest, FatalErrorDeepInTheTreeEndsTheWorkflow) {
  auto sibling = MakeWork("sibling", TestWork::BlockUntilInterrupted());
  auto deep = MakeWork("deep", [&](TestWork&) {
    sibling->WaitStarted();
    return Status(WorkResult::FatalError, "disk gone");
  });
  auto level2 = std::make_shared<SequentialWork>();
  level2->AddChild(deep);
  auto level1 = std::make_shared<SequentialWork>();
  level1->AddChild(level2);
  auto root = std::make_shared<ParallelWork>();
  root->AddChild(sibling);
  root->AddChild(level1);
  auto workflow = Make(root, 2);
  ASSERT_TRUE(workflow->Start());
  ASSERT_TRUE(recorder_.WaitForCompletions(1));
  EXPECT_EQ(workflow->GetState(), WorkflowState::Complete);
  EXPECT_EQ(recorder_.Completions()[0].status.result, WorkResult::FatalError);
  EXPECT_EQ(ErrorMessage(recorder_.Completions()[0].status), "disk gone");
  ASSERT_TRUE(WaitUntil([&] { return workflow->GetRunningCount() == 0; }));
  EXPECT_GE(sibling->Interrupts(), 1);
  EXPECT_EQ(sibling->Runs(), 1);
  EXPECT_EQ(workflow->GetReadyCount(), 0u);
  EXPECT_FALSE(workflow->Pause());
  EXPECT_FALSE(workflow->Start());
}

TEST_F(StandardWorkflowTest, AbortTellsTheRootObservers) {
  struct Case {
    const char* name;
    bool runFirst;
    size_t notices;
  };
  const Case kCases[] = {
      {"never started", false, 1},
      {"already complete", true, 2},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    Recorder recorder;
    auto root = MakeWork("root", TestWork::Returns(WorkResult::Success), 0, &recorder);
    auto workflow = StandardWorkflow::Create(root, &pool_, 1);
    if (c.runFirst) {
      ASSERT_TRUE(workflow->Start());
      ASSERT_TRUE(recorder.WaitForCompletions(1));
      ASSERT_TRUE(WaitUntil([&] { return workflow->GetRunningCount() == 0; }));
    }
    ASSERT_TRUE(workflow->Abort(Status(WorkResult::FatalError, "cancelled")));
    EXPECT_EQ(workflow->GetState(), WorkflowState::Aborted);
    EXPECT_FALSE(workflow->Abort(Status(WorkResult::FatalError, "again")));
    ASSERT_EQ(recorder.CompletionCount(), c.notices);
    EXPECT_EQ(ErrorMessage(recorder.Completions().back().status), "cancelled");
    // Nothing is queued or started any more.
    workflow->QueueWork(root);
    EXPECT_EQ(workflow->GetReadyCount(), 0u);
    EXPECT_FALSE(workflow->Start());
    EXPECT_FALSE(workflow->Resume());
    EXPECT_FALSE(workflow->Retry());
  }
}

TEST_F(StandardWorkflowTest, AbortWhileRunningInterruptsAndDoesNotRequeue) {
  auto blocked = MakeWork("blocked", TestWork::BlockUntilInterrupted());
  auto workflow = Make(blocked, 1);
  ASSERT_TRUE(workflow->Start());
  ASSERT_TRUE(blocked->WaitStarted());
  ASSERT_TRUE(workflow->Abort(Status(WorkResult::FatalError, "user cancelled")));
  ASSERT_TRUE(WaitUntil([&] { return workflow->GetRunningCount() == 0; }));
  EXPECT_EQ(blocked->Runs(), 1);
  EXPECT_EQ(workflow->GetReadyCount(), 0u);
  // The abort notice and the interrupted work's own notice, in either order.
  ASSERT_TRUE(recorder_.WaitForCompletions(2));
  int cancelled = 0, interrupted = 0;
  for (const auto& entry : recorder_.Completions()) {
    cancelled += ErrorMessage(entry.status) == "user cancelled";
    interrupted += entry.status.result == WorkResult::Interrupted;
  }
  EXPECT_EQ(cancelled, 1);
  EXPECT_EQ(interrupted, 1);
}

TEST_F(StandardWorkflowTest, OperationsOutsideTheirStatesAnswerFalse) {
  auto blocked = MakeWork("blocked", TestWork::BlockUntilInterrupted());
  auto workflow = Make(blocked, 1);
  EXPECT_EQ(workflow->GetState(), WorkflowState::NotStarted);
  EXPECT_FALSE(workflow->Pause());
  EXPECT_FALSE(workflow->Resume());
  EXPECT_FALSE(workflow->Retry());
  ASSERT_TRUE(workflow->Start());
  EXPECT_EQ(workflow->GetState(), WorkflowState::Running);
  EXPECT_FALSE(workflow->Resume());
  EXPECT_FALSE(workflow->Retry());
  EXPECT_FALSE(workflow->IsPaused());
  EXPECT_FALSE(workflow->IsRetryPending());
  blocked->Release();
  ASSERT_TRUE(recorder_.WaitForCompletions(1));
  EXPECT_EQ(workflow->GetState(), WorkflowState::Complete);
}

}  // namespace
}  // namespace kiv
