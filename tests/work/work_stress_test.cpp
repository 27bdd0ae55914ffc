// Real pools under load: large nested trees complete exactly once with every leaf done once,
// pause/resume and retry storms from other threads never lose, duplicate or deadlock a work, and a
// fatal error deep in the tree stops the running siblings.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "kiv/work/asio_work_manager.h"
#include "kiv/work/conditional_work.h"
#include "kiv/work/deferred_work.h"
#include "kiv/work/lazy_parallel_work.h"
#include "kiv/work/limited_retry_sequential_work.h"
#include "kiv/work/limited_retry_simple_work.h"
#include "kiv/work/parallel_work.h"
#include "kiv/work/sequential_work.h"
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

// What a leaf does: a little work that notices interrupts, then a few bad answers before
// succeeding.
struct Plan {
  int spins = 20;
  int retryableErrors = 0;  // answered before success; each stops the workflow (no retries)
  int failures = 0;         // answered before success; for the last child of a retry sequence
};

class StressLeaf : public LimitedRetrySimpleWork {
 public:
  StressLeaf(const Plan& plan, bool mayRepeat)
      : LimitedRetrySimpleWork(nullptr, 0),
        mayRepeat_(mayRepeat),
        errorsLeft_(plan.retryableErrors),
        failuresLeft_(plan.failures),
        spins_(plan.spins) {}

  WorkStatus ExecuteTask() override {
    if (inFlight_.exchange(true)) overlapped_ = true;
    WorkStatus status(WorkResult::Success);
    for (int i = 0; i < spins_; ++i) {
      if (IsInterrupted()) {
        status = WorkStatus(WorkResult::Interrupted);
        break;
      }
      std::this_thread::yield();
    }
    if (status.result == WorkResult::Success) {
      if (errorsLeft_ > 0) {
        --errorsLeft_;
        status = WorkStatus(WorkResult::RetryableError);
      } else if (failuresLeft_ > 0) {
        --failuresLeft_;
        status = WorkStatus(WorkResult::Failure);
      } else {
        successes_.fetch_add(1);
      }
    }
    inFlight_ = false;
    return status;
  }
  void Interrupt() override {}

  // Leaves inside a restarting sequence may legitimately succeed more than once.
  const bool mayRepeat_;
  std::atomic<int> successes_{0};
  std::atomic<bool> overlapped_{false};

 private:
  std::atomic<bool> inFlight_{false};
  int errorsLeft_;
  int failuresLeft_;
  const int spins_;
};

// Produces its children on demand from a factory.
class FactoryLazyWork : public LazyParallelWork {
 public:
  FactoryLazyWork(uint32_t capacity, int count, std::function<std::shared_ptr<Work>(int)> factory)
      : LazyParallelWork(nullptr, capacity), count_(count), factory_(std::move(factory)) {}
  std::shared_ptr<Work> CreateNextWork() override {
    if (next_ >= count_) return nullptr;
    return factory_(next_++);
  }

 private:
  const int count_;
  std::function<std::shared_ptr<Work>(int)> factory_;
  int next_ = 0;
};

class OnSuccessChoice : public ConditionalWork {
 public:
  OnSuccessChoice(std::shared_ptr<Work> condition, std::shared_ptr<Work> onSuccess,
                  std::shared_ptr<Work> onFailure) {
    SetCondition(std::move(condition));
    SetOnSuccess(std::move(onSuccess));
    SetOnFailure(std::move(onFailure));
  }
};

// Builds a package-like tree: files produced lazily, each a retry sequence of an open step and
// a lazily produced run of chunk sequences; a deferred part assigned while running; a
// conditional part.
class TreeBuilder {
 public:
  std::function<Plan(int)> plan = [](int) { return Plan(); };
  std::function<int(int)> chunkFailures = [](int) { return 0; };

  std::shared_ptr<Work> Build(int files, int chunks) {
    auto root = std::make_shared<SequentialWork>();
    auto deferred = std::make_shared<DeferredWork>();
    auto assign = MakeWork("assign", [this, deferred](TestWork&) {
      auto extra = std::make_shared<ParallelWork>();
      for (int i = 0; i < 10; ++i) extra->AddChild(Leaf(false));
      EXPECT_TRUE(deferred->Assign(extra));
      return WorkStatus(WorkResult::Success);
    });
    root->AddChild(assign);

    auto body = std::make_shared<ParallelWork>();
    body->AddChild(std::make_shared<FactoryLazyWork>(4, files, [this, chunks](int) {
      auto file = std::make_shared<LimitedRetrySequentialWork>(nullptr, 1);
      file->AddChild(Leaf(true));
      file->AddChild(std::make_shared<FactoryLazyWork>(3, chunks, [this](int) {
        auto chunk = std::make_shared<LimitedRetrySequentialWork>(nullptr, 1);
        const int failures = chunkFailures(chunkIndex_.fetch_add(1));
        chunk->AddChild(Leaf(true));
        chunk->AddChild(Leaf(true, failures));
        return chunk;
      }));
      return file;
    }));
    for (int i = 0; i < 40; ++i) body->AddChild(Leaf(false));
    root->AddChild(body);
    root->AddChild(deferred);

    auto branch = std::make_shared<ParallelWork>();
    for (int i = 0; i < 10; ++i) branch->AddChild(Leaf(false));
    neverRun_ = Leaf(false);
    root->AddChild(std::make_shared<OnSuccessChoice>(Leaf(false), branch, neverRun_));
    return root;
  }

  std::vector<std::shared_ptr<StressLeaf>> Leaves() {
    std::lock_guard guard(mutex_);
    return leaves_;
  }
  const std::shared_ptr<StressLeaf>& NeverRun() const { return neverRun_; }

  // Every leaf ran to success (exactly once unless a restart repeats it), never twice at once.
  void ExpectEveryLeafDone() {
    for (const auto& leaf : Leaves()) {
      if (leaf == neverRun_) {
        EXPECT_EQ(leaf->successes_.load(), 0);
        continue;
      }
      if (leaf->mayRepeat_) {
        EXPECT_GE(leaf->successes_.load(), 1);
      } else {
        EXPECT_EQ(leaf->successes_.load(), 1);
      }
      EXPECT_FALSE(leaf->overlapped_.load());
    }
  }

 private:
  std::shared_ptr<StressLeaf> Leaf(bool mayRepeat, int failures = 0) {
    Plan p = plan(leafIndex_.fetch_add(1));
    p.failures = failures;
    auto leaf = std::make_shared<StressLeaf>(p, mayRepeat);
    std::lock_guard guard(mutex_);
    leaves_.push_back(leaf);
    return leaf;
  }

  std::mutex mutex_;
  std::vector<std::shared_ptr<StressLeaf>> leaves_;
  std::shared_ptr<StressLeaf> neverRun_;
  std::atomic<int> leafIndex_{0};
  std::atomic<int> chunkIndex_{0};
};

class WorkStressTest : public ::testing::Test {
 protected:
  // Starts the tree and runs each storm in a loop on a thread of its own until the root has
  // completed.
  using Storm = std::function<void(StandardWorkflow&)>;
  void Run(const std::shared_ptr<Work>& root, std::vector<Storm> storms) {
    root->AddCompleteCallback(&recorder_);
    workflow_ = StandardWorkflow::Create(root, &pool_, 6);
    workflow_->AddRetryableErrorCallback(&retryPending_);
    ASSERT_TRUE(workflow_->Start());
    std::atomic<bool> done{false};
    std::vector<std::thread> stormers;
    for (auto& storm : storms) {
      stormers.emplace_back([&, storm] {
        while (!done.load()) storm(*workflow_);
      });
    }
    const bool completed = recorder_.WaitForCompletions(1, std::chrono::seconds(120));
    done = true;
    for (auto& stormer : stormers) stormer.join();
    ASSERT_TRUE(completed) << "state " << static_cast<int>(workflow_->GetState());
    ASSERT_TRUE(WaitUntil([&] { return workflow_->GetRunningCount() == 0; }));
    EXPECT_EQ(workflow_->GetState(), WorkflowState::Complete);
    ASSERT_EQ(recorder_.CompletionCount(), 1u);
    EXPECT_EQ(recorder_.Completions()[0].status.result, WorkResult::Success);
  }

  Recorder recorder_;
  RetryPendingRecorder retryPending_;
  AsioWorkManager pool_{6, false};
  std::shared_ptr<StandardWorkflow> workflow_;
};

TEST_F(WorkStressTest, LargeTreeCompletesOnce) {
  TreeBuilder builder;
  Run(builder.Build(16, 40), {});
  // 16 files of 1 + 40 * 2 leaves, 40 + 10 + 1 + 10 + 1 more.
  EXPECT_EQ(builder.Leaves().size(), 16u * 81u + 62u);
  builder.ExpectEveryLeafDone();
}

TEST_F(WorkStressTest, PauseResumeStormLosesNothing) {
  TreeBuilder builder;
  builder.plan = [](int) { return Plan{100, 0, 0}; };
  std::mt19937 random(7);
  std::atomic<int> pauses{0};
  Run(builder.Build(8, 30), {[&](StandardWorkflow& workflow) {
        if (workflow.Pause()) pauses.fetch_add(1);
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 300));
        workflow.Resume();
        // Long enough running phases that the tree makes progress between pauses.
        std::this_thread::sleep_for(std::chrono::microseconds(500 + random() % 1500));
      }});
  EXPECT_GT(pauses.load(), 0);
  builder.ExpectEveryLeafDone();
}

TEST_F(WorkStressTest, RetryStormWithPausesLosesNothing) {
  TreeBuilder builder;
  // Every 7th leaf stops the workflow once; every 5th chunk fails once (restarted inside its
  // sequence) and every 11th fails twice (gives up into the workflow's retry-pending state).
  builder.plan = [](int i) { return Plan{50, i % 7 == 3 ? 1 : 0, 0}; };
  builder.chunkFailures = [](int i) { return i % 11 == 4 ? 2 : (i % 5 == 2 ? 1 : 0); };
  std::mt19937 retryRandom(11);
  std::mt19937 pauseRandom(13);
  std::atomic<int> retries{0};
  Run(builder.Build(8, 30),
      {[&](StandardWorkflow& workflow) {
         if (workflow.Retry()) retries.fetch_add(1);
         std::this_thread::sleep_for(std::chrono::microseconds(retryRandom() % 200));
       },
       [&](StandardWorkflow& workflow) {
         workflow.Pause();
         std::this_thread::sleep_for(std::chrono::microseconds(pauseRandom() % 200));
         workflow.Resume();
         std::this_thread::sleep_for(std::chrono::milliseconds(1 + pauseRandom() % 3));
       }});
  EXPECT_GT(retryPending_.Count(), 0u);
  EXPECT_GT(retries.load(), 0);
  builder.ExpectEveryLeafDone();
}

TEST(WorkFatalStressTest, FatalErrorDeepInTheTreeInterruptsRunningSiblings) {
  AsioWorkManager pool(6, false);
  for (int round = 0; round < 10; ++round) {
    SCOPED_TRACE(round);
    Recorder recorder;
    auto root = std::make_shared<ParallelWork>(&recorder);
    std::vector<std::shared_ptr<TestWork>> siblings;
    for (int i = 0; i < 5; ++i) {
      siblings.push_back(MakeWork("sibling", TestWork::BlockUntilInterrupted()));
      root->AddChild(siblings.back());
    }
    auto fatal = MakeWork("fatal", [&](TestWork&) {
      for (auto& s : siblings) s->WaitStarted();
      return Status(WorkResult::FatalError, "volume removed");
    });
    std::shared_ptr<Work> deep = fatal;
    for (int level = 0; level < 4; ++level) {
      auto sequence = std::make_shared<SequentialWork>();
      sequence->AddChild(MakeWork("before", TestWork::Returns(WorkResult::Success)));
      sequence->AddChild(deep);
      deep = sequence;
    }
    root->AddChild(
        std::make_shared<test::ListLazyWork>(2, std::vector<std::shared_ptr<Work>>{deep}));
    auto workflow = StandardWorkflow::Create(root, &pool, 6);
    ASSERT_TRUE(workflow->Start());
    ASSERT_TRUE(recorder.WaitForCompletions(1));
    EXPECT_EQ(recorder.Completions()[0].status.result, WorkResult::FatalError);
    EXPECT_EQ(ErrorMessage(recorder.Completions()[0].status), "volume removed");
    EXPECT_EQ(workflow->GetState(), WorkflowState::Complete);
    ASSERT_TRUE(WaitUntil([&] { return workflow->GetRunningCount() == 0; }));
    EXPECT_EQ(workflow->GetReadyCount(), 0u);
    for (auto& s : siblings) {
      EXPECT_GE(s->Interrupts(), 1);
      EXPECT_EQ(s->Runs(), 1);
    }
    EXPECT_EQ(recorder.CompletionCount(), 1u);
  }
}

}  // namespace
}  // namespace kiv
