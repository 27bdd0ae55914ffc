// Composite works driven by a real workflow on a real pool: which children run, in which order,
// with which paths, and how their outcomes become the composite's.
#include "kiv/work/composite_work.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "kiv/work/asio_work_manager.h"
#include "kiv/work/deferred_work.h"
#include "kiv/work/no_op_work.h"
#include "kiv/work/parallel_work.h"
#include "kiv/work/sequential_work.h"
#include "kiv/work/standard_workflow.h"
#include "work_test_support.h"

namespace kiv {
namespace {

using test::ErrorMessage;
using test::MakeWork;
using test::Recorder;
using test::Status;
using test::TestWork;
using test::WaitUntil;

class CompositeWorkTest : public ::testing::Test {
 protected:
  // Runs root to its completion and answers the root's one completion status.
  WorkStatus RunToEnd(const std::shared_ptr<Work>& root, uint32_t maxRunning = 4) {
    Recorder& recorder = *recorders_.emplace_back(std::make_unique<Recorder>());
    root->AddCompleteCallback(&recorder);
    workflow_ = StandardWorkflow::Create(root, &pool_, maxRunning);
    EXPECT_TRUE(workflow_->Start());
    EXPECT_TRUE(recorder.WaitForCompletions(1));
    EXPECT_TRUE(WaitUntil([&] { return workflow_->GetRunningCount() == 0; }));
    EXPECT_EQ(recorder.CompletionCount(), 1u);
    EXPECT_EQ(workflow_->GetState(), WorkflowState::Complete);
    const auto completions = recorder.Completions();
    return completions.empty() ? WorkStatus() : completions[0].status;
  }

  // Declared first so that they outlive the pool's last tasks.
  std::vector<std::unique_ptr<Recorder>> recorders_;
  AsioWorkManager pool_{4, false};
  std::shared_ptr<StandardWorkflow> workflow_;
};

TEST_F(CompositeWorkTest, SequentialEndsWithFirstFailureOrLastOutcome) {
  struct Case {
    const char* name;
    std::vector<WorkStatus> results;
    WorkResult expected;
    std::string message;
    std::vector<int> runs;
  };
  const WorkStatus ok(WorkResult::Success);
  const Case kCases[] = {
      {"all succeed",
       {ok, ok, Status(WorkResult::Success, "dropped")},
       WorkResult::Success,
       "",
       {1, 1, 1}},
      {"second fails",
       {ok, Status(WorkResult::Failure, "crc"), ok},
       WorkResult::Failure,
       "crc",
       {1, 1, 0}},
      {"last fails",
       {ok, ok, Status(WorkResult::Failure, "end")},
       WorkResult::Failure,
       "end",
       {1, 1, 1}},
      {"first fatal",
       {Status(WorkResult::FatalError, "boom"), ok, ok},
       WorkResult::FatalError,
       "boom",
       {1, 0, 0}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    auto sequence = std::make_shared<SequentialWork>(nullptr, 3);
    std::vector<std::shared_ptr<TestWork>> children;
    for (size_t i = 0; i < c.results.size(); ++i) {
      children.push_back(MakeWork("c" + std::to_string(i), TestWork::Script({c.results[i]})));
      sequence->AddChild(children.back());
    }
    const WorkStatus status = RunToEnd(sequence);
    EXPECT_EQ(status.result, c.expected);
    EXPECT_EQ(ErrorMessage(status), c.message);
    for (size_t i = 0; i < children.size(); ++i) {
      EXPECT_EQ(children[i]->Runs(), c.runs[i]) << "child " << i;
      if (c.runs[i] > 0) {
        EXPECT_EQ(children[i]->LastPath(), WorkPath{0});
      }
    }
  }
}

TEST_F(CompositeWorkTest, ParallelSucceedsAfterAllAndFailsFatallyOnOne) {
  auto parallel = std::make_shared<ParallelWork>();
  auto a = MakeWork("a", TestWork::Script({Status(WorkResult::Success, "a done")}));
  auto b = MakeWork("b", TestWork::Returns(WorkResult::Success));
  EXPECT_TRUE(parallel->AddChild(a));
  EXPECT_TRUE(parallel->AddChild(b));
  EXPECT_FALSE(parallel->AddChild(a)) << "a child is added once";
  EXPECT_EQ(parallel->GetChildCount(), 2u);
  const WorkStatus status = RunToEnd(parallel);
  EXPECT_EQ(status.result, WorkResult::Success);
  EXPECT_EQ(status.data, nullptr);
  EXPECT_EQ(a->LastPath(), WorkPath{0});
  EXPECT_EQ(b->LastPath(), WorkPath{1});
}

TEST_F(CompositeWorkTest, ParallelFailureIsFatalAndStopsTheSibling) {
  auto parallel = std::make_shared<ParallelWork>();
  auto blocked = MakeWork("blocked", TestWork::BlockUntilInterrupted());
  auto failing = MakeWork("failing", [&](TestWork&) {
    blocked->WaitStarted();
    return Status(WorkResult::Failure, "bad chunk");
  });
  parallel->AddChild(blocked);
  parallel->AddChild(failing);
  const WorkStatus status = RunToEnd(parallel);
  EXPECT_EQ(status.result, WorkResult::FatalError);
  EXPECT_EQ(ErrorMessage(status), "bad chunk");
  EXPECT_GE(blocked->Interrupts(), 1);
  EXPECT_EQ(blocked->Runs(), 1) << "an interrupted work is not queued after the workflow ended";
}

TEST_F(CompositeWorkTest, LazyParallelBoundsWorksInFlight) {
  std::atomic<int> inFlight{0};
  std::atomic<int> maxInFlight{0};
  std::vector<std::shared_ptr<TestWork>> children;
  std::vector<std::shared_ptr<Work>> list;
  for (int i = 0; i < 5; ++i) {
    children.push_back(MakeWork("c" + std::to_string(i), [&](TestWork&) {
      const int now = ++inFlight;
      int seen = maxInFlight.load();
      while (now > seen && !maxInFlight.compare_exchange_weak(seen, now)) {
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      --inFlight;
      return WorkStatus(WorkResult::Success);
    }));
    list.push_back(children.back());
  }
  auto lazy = std::make_shared<test::ListLazyWork>(2, list);
  EXPECT_EQ(lazy->GetCapacity(), 2u);
  const WorkStatus status = RunToEnd(lazy, 8);
  EXPECT_EQ(status.result, WorkResult::Success);
  EXPECT_LE(maxInFlight.load(), 2);
  for (uint32_t i = 0; i < children.size(); ++i) {
    EXPECT_EQ(children[i]->Runs(), 1);
    EXPECT_EQ(children[i]->LastPath(), WorkPath{i});
  }
}

TEST_F(CompositeWorkTest, LazyParallelFailureIsFatal) {
  std::vector<std::shared_ptr<Work>> list = {
      MakeWork("ok", TestWork::Returns(WorkResult::Success)),
      MakeWork("bad", TestWork::Script({Status(WorkResult::Failure, "no node")})),
      MakeWork("later", TestWork::Returns(WorkResult::Success))};
  const WorkStatus status = RunToEnd(std::make_shared<test::ListLazyWork>(1, list), 1);
  EXPECT_EQ(status.result, WorkResult::FatalError);
  EXPECT_EQ(ErrorMessage(status), "no node");
  EXPECT_EQ(static_cast<TestWork&>(*list[2]).Runs(), 0);
}

TEST_F(CompositeWorkTest, LazyParallelRefusesZeroCapacity) {
  try {
    test::ListLazyWork lazy(0, {});
    ADD_FAILURE() << "constructed";
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(), "LazyParallelWork::Reserve called with zero capacity");
  }
}

TEST_F(CompositeWorkTest, ConditionalRunsOneBranch) {
  struct Case {
    const char* name;
    WorkResult condition;
    bool successBranch;
  };
  const Case kCases[] = {
      {"condition succeeds", WorkResult::Success, true},
      {"condition fails", WorkResult::Failure, false},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    auto condition = MakeWork("condition", TestWork::Returns(c.condition));
    auto onSuccess = MakeWork("onSuccess", TestWork::Script({Status(WorkResult::Failure, "s")}));
    auto onFailure = MakeWork("onFailure", TestWork::Script({Status(WorkResult::Failure, "f")}));
    auto conditional = std::make_shared<test::TestConditionalWork>(condition, onSuccess, onFailure);
    const WorkStatus status = RunToEnd(conditional);
    // The branch's status is the conditional work's status.
    EXPECT_EQ(status.result, WorkResult::Failure);
    EXPECT_EQ(ErrorMessage(status), c.successBranch ? "s" : "f");
    EXPECT_EQ(onSuccess->Runs(), c.successBranch ? 1 : 0);
    EXPECT_EQ(onFailure->Runs(), c.successBranch ? 0 : 1);
    EXPECT_EQ(condition->Runs(), 1);
  }
}

TEST_F(CompositeWorkTest, ConditionalWithoutAllChildrenCannotStart) {
  auto conditional = std::make_shared<test::TestConditionalWork>(
      MakeWork("condition", TestWork::Returns(WorkResult::Success)),
      MakeWork("onSuccess", TestWork::Returns(WorkResult::Success)), nullptr);
  // A sibling queued before the failure must not stay queued.
  auto root = std::make_shared<ParallelWork>();
  root->AddChild(MakeWork("sibling", TestWork::Returns(WorkResult::Success)));
  root->AddChild(conditional);
  auto workflow = StandardWorkflow::Create(root, &pool_, 1);
  for (int attempt = 0; attempt < 2; ++attempt) {
    try {
      workflow->Start();
      ADD_FAILURE() << "started";
    } catch (const std::logic_error& e) {
      EXPECT_STREQ(e.what(), "ConditionalWork::QueueAvailableWork called with incomplete children");
    }
    EXPECT_EQ(workflow->GetState(), WorkflowState::NotStarted);
    EXPECT_EQ(workflow->GetReadyCount(), 0u);
  }
}

TEST_F(CompositeWorkTest, DeferredRunsWhatIsAssignedWhileTheTreeRuns) {
  auto deferred = std::make_shared<DeferredWork>();
  auto late = MakeWork("late", TestWork::Script({Status(WorkResult::Failure, "late result")}));
  auto assigner = MakeWork("assigner", [&](TestWork&) {
    EXPECT_TRUE(deferred->Assign(late));
    EXPECT_FALSE(deferred->Assign(MakeWork("other", TestWork::Returns(WorkResult::Success))));
    return WorkStatus(WorkResult::Success);
  });
  auto sequence = std::make_shared<SequentialWork>();
  sequence->AddChild(assigner);
  sequence->AddChild(deferred);
  const WorkStatus status = RunToEnd(sequence);
  EXPECT_EQ(status.result, WorkResult::Failure);
  EXPECT_EQ(ErrorMessage(status), "late result");
  EXPECT_EQ(late->Runs(), 1);
  EXPECT_EQ(late->LastPath(), (WorkPath{0, 0}));
  EXPECT_EQ(late->GetParent(), deferred);
}

TEST_F(CompositeWorkTest, DeferredQueuedBeforeAssignRunsANoOp) {
  auto deferred = std::make_shared<DeferredWork>();
  boost::property_tree::ptree tree;
  deferred->Describe(tree);
  EXPECT_EQ(tree.get("name", ""), "DeferredWork");
  const WorkStatus status = RunToEnd(deferred);
  EXPECT_EQ(status.result, WorkResult::Success);
  EXPECT_NE(std::dynamic_pointer_cast<NoOpWork>(deferred->GetChild()), nullptr);
  EXPECT_FALSE(deferred->Assign(MakeWork("late", TestWork::Returns(WorkResult::Success))));
}

TEST_F(CompositeWorkTest, EmptyCompositesStillComplete) {
  struct Case {
    const char* name;
    std::function<std::shared_ptr<Work>()> make;
  };
  const Case kCases[] = {
      {"sequential", [] { return std::make_shared<SequentialWork>(); }},
      {"parallel", [] { return std::make_shared<ParallelWork>(); }},
      {"lazy parallel",
       [] {
         return std::make_shared<test::ListLazyWork>(3, std::vector<std::shared_ptr<Work>>{});
       }},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RunToEnd(c.make()).result, WorkResult::Success);
  }
}

TEST_F(CompositeWorkTest, NestedChildrenGetTheirPaths) {
  auto a = MakeWork("a", TestWork::Returns(WorkResult::Success));
  auto b = MakeWork("b", TestWork::Returns(WorkResult::Success));
  auto c = MakeWork("c", TestWork::Returns(WorkResult::Success));
  auto d = MakeWork("d", TestWork::Returns(WorkResult::Success));
  auto sequence = std::make_shared<SequentialWork>();
  sequence->AddChild(a);
  sequence->AddChild(b);
  auto inner = std::make_shared<ParallelWork>();
  inner->AddChild(c);
  inner->AddChild(d);
  auto root = std::make_shared<ParallelWork>();
  root->AddChild(sequence);
  root->AddChild(inner);
  EXPECT_EQ(RunToEnd(root).result, WorkResult::Success);
  EXPECT_EQ(a->LastPath(), (WorkPath{0, 0}));
  EXPECT_EQ(b->LastPath(), (WorkPath{0, 0}));
  EXPECT_EQ(c->LastPath(), (WorkPath{1, 0}));
  EXPECT_EQ(d->LastPath(), (WorkPath{1, 1}));
  EXPECT_EQ(c->GetParent(), inner);
  EXPECT_EQ(inner->GetParent(), root);
}

// Reports delivered by hand, without a workflow: the reaction rules themselves.
TEST(CompositeWorkReportTest, UnexpectedAndLateReports) {
  struct Case {
    const char* name;
    bool parallel;
    std::vector<int> reports;  // child index per report, all Success
    size_t notices;
    WorkResult result;
    std::string message;
  };
  const std::string invalid = "Invalid child progress for CompositeWork::OnWorkComplete";
  const Case kCases[] = {
      {"sequence: later child first", false, {1}, 1, WorkResult::FatalError, invalid},
      {"sequence: report after completion is ignored",
       false,
       {0, 1, 1, 0},
       1,
       WorkResult::Success,
       ""},
      {"sequence: same child twice while open", false, {0, 0}, 1, WorkResult::FatalError, invalid},
      {"parallel: same child twice while open", true, {0, 0}, 1, WorkResult::FatalError, invalid},
      {"parallel: report after completion is ignored", true, {1, 0, 0}, 1, WorkResult::Success, ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    Recorder recorder;
    std::vector<std::shared_ptr<Work>> children = {
        MakeWork("0", TestWork::Returns(WorkResult::Success)),
        MakeWork("1", TestWork::Returns(WorkResult::Success))};
    std::shared_ptr<CompositeWork> composite;
    if (c.parallel) {
      auto parallel = std::make_shared<ParallelWork>(&recorder);
      for (auto& child : children) parallel->AddChild(child);
      composite = parallel;
    } else {
      auto sequence = std::make_shared<SequentialWork>(&recorder);
      for (auto& child : children) sequence->AddChild(child);
      composite = sequence;
    }
    composite->Reset();
    for (int i : c.reports) {
      static_cast<WorkCompleteCallback&>(*composite)
          .OnWorkComplete(children[i], WorkStatus(WorkResult::Success));
    }
    ASSERT_EQ(recorder.CompletionCount(), c.notices);
    const WorkStatus status = recorder.Completions()[0].status;
    EXPECT_EQ(status.result, c.result);
    EXPECT_EQ(ErrorMessage(status), c.message);
    EXPECT_TRUE(composite->IsComplete());
  }
}

TEST(CompositeWorkReportTest, InterruptedAndRetryableChildrenChangeNothing) {
  Recorder recorder;
  auto child = MakeWork("0", TestWork::Returns(WorkResult::Success));
  auto sequence = std::make_shared<SequentialWork>(&recorder);
  sequence->AddChild(child);
  for (WorkResult r : {WorkResult::Interrupted, WorkResult::RetryableError}) {
    static_cast<WorkCompleteCallback&>(*sequence).OnWorkComplete(child, WorkStatus(r));
  }
  EXPECT_FALSE(sequence->IsComplete());
  EXPECT_EQ(recorder.CompletionCount(), 0u);
  static_cast<WorkCompleteCallback&>(*sequence).OnWorkComplete(
      child, Status(WorkResult::Success, "dropped on success"));
  ASSERT_EQ(recorder.CompletionCount(), 1u);
  EXPECT_EQ(recorder.Completions()[0].status.result, WorkResult::Success);
  EXPECT_EQ(recorder.Completions()[0].status.data, nullptr);
}

TEST(CompositeWorkOwnershipTest, DroppingTheRootFreesTheTree) {
  AsioWorkManager pool(2, false);
  std::vector<std::weak_ptr<Work>> weak;
  std::weak_ptr<StandardWorkflow> weakWorkflow;
  {
    auto leaf = MakeWork("leaf", TestWork::Returns(WorkResult::Success));
    auto lazyLeaf = MakeWork("lazyLeaf", TestWork::Returns(WorkResult::Success));
    auto lazy =
        std::make_shared<test::ListLazyWork>(2, std::vector<std::shared_ptr<Work>>{lazyLeaf});
    auto sequence = std::make_shared<SequentialWork>();
    sequence->AddChild(leaf);
    sequence->AddChild(lazy);
    auto root = std::make_shared<ParallelWork>();
    root->AddChild(sequence);
    weak = {leaf, lazyLeaf, lazy, sequence, root};
    Recorder recorder;
    root->AddCompleteCallback(&recorder);
    auto workflow = StandardWorkflow::Create(root, &pool, 2);
    weakWorkflow = workflow;
    ASSERT_TRUE(workflow->Start());
    ASSERT_TRUE(recorder.WaitForCompletions(1));
    ASSERT_TRUE(WaitUntil([&] { return workflow->GetRunningCount() == 0; }));
  }
  // The last pool task may still hold the workflow for a moment.
  EXPECT_TRUE(WaitUntil([&] { return weakWorkflow.expired(); }));
  for (const auto& w : weak) EXPECT_TRUE(w.expired());
}

}  // namespace
}  // namespace kiv
