// Retry limits: the sequence that restarts after a Failure and gives up into the workflow's
// retry-pending state.
#include <gtest/gtest.h>

#include <memory>

#include "kiv/work/asio_work_manager.h"
#include "kiv/work/limited_retry_sequential_work.h"
#include "kiv/work/standard_workflow.h"
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

class LimitedRetrySequentialWorkTest : public ::testing::Test {
 protected:
  Recorder recorder_;
  RetryPendingRecorder retryPending_;
  AsioWorkManager pool_{3, false};
};

TEST_F(LimitedRetrySequentialWorkTest, RestartsThenGivesUpIntoRetryPending) {
  auto first = MakeWork("first", TestWork::Returns(WorkResult::Success));
  auto second = MakeWork("second", TestWork::Script({Status(WorkResult::Failure, "crc 1"),
                                                     Status(WorkResult::Failure, "crc 2"),
                                                     WorkStatus(WorkResult::Success)}));
  auto sequence = std::make_shared<LimitedRetrySequentialWork>(&recorder_, 1);
  sequence->AddChild(first);
  sequence->AddChild(second);
  auto workflow = StandardWorkflow::Create(sequence, &pool_, 3);
  workflow->AddRetryableErrorCallback(&retryPending_);
  ASSERT_TRUE(workflow->Start());

  // First failure: restart from the first child. Second failure: out of retries.
  ASSERT_TRUE(recorder_.WaitForCompletions(1));
  ASSERT_TRUE(WaitUntil([&] { return workflow->GetReadyCount() == 1; }));
  EXPECT_EQ(workflow->GetState(), WorkflowState::RetryPending);
  EXPECT_EQ(first->Runs(), 2);
  EXPECT_EQ(second->Runs(), 2);
  EXPECT_EQ(sequence->GetRetries(), 1u);
  const WorkStatus gaveUp = recorder_.Completions()[0].status;
  EXPECT_EQ(gaveUp.result, WorkResult::RetryableError);
  EXPECT_FALSE(gaveUp.retry);
  EXPECT_EQ(ErrorMessage(gaveUp), "crc 2");
  ASSERT_EQ(retryPending_.Count(), 1u);
  EXPECT_EQ(retryPending_.WorkAt(0), sequence);

  // The first child waits in the ready queue for Retry; the allowance is not restored.
  ASSERT_TRUE(workflow->Retry());
  ASSERT_TRUE(recorder_.WaitForCompletions(2));
  EXPECT_EQ(recorder_.Completions()[1].status.result, WorkResult::Success);
  EXPECT_EQ(first->Runs(), 3);
  EXPECT_EQ(second->Runs(), 3);
  EXPECT_EQ(sequence->GetRetries(), 1u);
  EXPECT_EQ(workflow->GetState(), WorkflowState::Complete);

  sequence->Reset();
  EXPECT_EQ(sequence->GetRetries(), 0u);
}

TEST_F(LimitedRetrySequentialWorkTest, NoRetriesGivesUpAtOnce) {
  auto only = MakeWork("only", TestWork::Script({Status(WorkResult::Failure, "bad")}));
  auto sequence = std::make_shared<LimitedRetrySequentialWork>(&recorder_, 0);
  sequence->AddChild(only);
  auto workflow = StandardWorkflow::Create(sequence, &pool_, 1);
  ASSERT_TRUE(workflow->Start());
  ASSERT_TRUE(recorder_.WaitForCompletions(1));
  EXPECT_EQ(recorder_.Completions()[0].status.result, WorkResult::RetryableError);
  EXPECT_EQ(only->Runs(), 1);
  EXPECT_TRUE(WaitUntil([&] { return workflow->GetRunningCount() == 0; }));
  EXPECT_EQ(workflow->GetReadyCount(), 1u);
}

// The only child fails and is queued again by the restart while its first task is still
// reporting back: each task must be counted until it has reported.
TEST_F(LimitedRetrySequentialWorkTest, RestartedOnlyChildIsCountedPerTask) {
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE(round);
    Recorder recorder;
    auto only = MakeWork(
        "only", TestWork::Script({WorkStatus(WorkResult::Failure), WorkStatus(WorkResult::Failure),
                                  WorkStatus(WorkResult::Success)}));
    auto sequence = std::make_shared<LimitedRetrySequentialWork>(&recorder, 2);
    sequence->AddChild(only);
    auto workflow = StandardWorkflow::Create(sequence, &pool_, 2);
    ASSERT_TRUE(workflow->Start());
    ASSERT_TRUE(recorder.WaitForCompletions(1));
    EXPECT_EQ(recorder.Completions()[0].status.result, WorkResult::Success);
    EXPECT_EQ(only->Runs(), 3);
    EXPECT_EQ(only->MaxInFlight(), 1);
    ASSERT_TRUE(WaitUntil([&] { return workflow->GetRunningCount() == 0; }));
    EXPECT_EQ(workflow->GetState(), WorkflowState::Complete);
  }
}

// A simple work's allowance is restored each time the workflow queues it, so after Retry it
// may repeat again.
TEST_F(LimitedRetrySequentialWorkTest, SimpleWorkGetsAFreshAllowanceWhenQueuedAgain) {
  const WorkStatus error(WorkResult::RetryableError);
  auto work = MakeWork(
      "w", TestWork::Script({error, error, error, WorkStatus(WorkResult::Success)}), 1, &recorder_);
  work->AddRetryCallback(&recorder_);
  auto workflow = StandardWorkflow::Create(work, &pool_, 1);
  workflow->AddRetryableErrorCallback(&retryPending_);
  ASSERT_TRUE(workflow->Start());
  ASSERT_TRUE(recorder_.WaitForCompletions(1));
  EXPECT_EQ(recorder_.Completions()[0].status.result, WorkResult::RetryableError);
  EXPECT_EQ(work->Runs(), 2);
  ASSERT_TRUE(WaitUntil([&] { return workflow->GetReadyCount() == 1; }));
  ASSERT_TRUE(workflow->Retry());
  ASSERT_TRUE(recorder_.WaitForCompletions(2));
  EXPECT_EQ(recorder_.Completions()[1].status.result, WorkResult::Success);
  EXPECT_EQ(work->Runs(), 4);
  EXPECT_EQ(recorder_.Retries().size(), 2u);
  EXPECT_EQ(retryPending_.Count(), 1u);
}

}  // namespace
}  // namespace kiv
