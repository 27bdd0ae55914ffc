// The thread pool: task hand-out, the two stop modes and the task bodies.
#include "kiv/work/asio_work_manager.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <memory>
#include <set>
#include <stdexcept>
#include <thread>

#include "kiv/work/standard_workflow.h"
#include "kiv/work/work_exception_data.h"
#include "work_test_support.h"

namespace kiv {
namespace {

using test::MakeWork;
using test::Recorder;
using test::TestWork;
using test::WaitUntil;

TEST(AsioWorkManagerTest, RunsPostedTasksOnItsThreads) {
  std::mutex mutex;
  std::set<std::thread::id> threads;
  std::atomic<int> done{0};
  {
    AsioWorkManager pool(3, false);
    EXPECT_EQ(pool.GetThreadCount(), 3u);
    // Three tasks that wait for each other can only finish if three threads run them at once.
    std::atomic<int> arrived{0};
    for (int i = 0; i < 3; ++i) {
      pool.Post([&] {
        {
          std::lock_guard guard(mutex);
          threads.insert(std::this_thread::get_id());
        }
        arrived.fetch_add(1);
        WaitUntil([&] { return arrived.load() == 3; });
        done.fetch_add(1);
      });
    }
    ASSERT_TRUE(WaitUntil([&] { return done.load() == 3; }));
  }
  EXPECT_EQ(threads.size(), 3u);
  EXPECT_EQ(threads.count(std::this_thread::get_id()), 0u);
}

TEST(AsioWorkManagerTest, StopModes) {
  struct Case {
    const char* name;
    uint32_t threads;
    bool drain;
    int expectedQueuedRuns;
  };
  const Case kCases[] = {
      {"no threads, drain", 0, true, 0},
      {"no threads, no drain", 0, false, 0},
      {"drain runs every queued task", 1, true, 10},
      {"no drain drops queued tasks", 1, false, 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    std::atomic<int> queuedRuns{0};
    std::atomic<bool> longTaskStarted{false};
    std::atomic<bool> longTaskEnded{false};
    auto tracked = std::make_shared<int>(0);
    std::weak_ptr<int> trackedWeak = tracked;
    {
      auto pool = std::make_unique<AsioWorkManager>(c.threads, c.drain);
      std::promise<void> release;
      std::shared_future<void> released = release.get_future().share();
      pool->Post([&, released] {
        longTaskStarted = true;
        released.wait();
        longTaskEnded = true;
      });
      for (int i = 0; i < 10; ++i) {
        pool->Post([&queuedRuns, tracked] { queuedRuns.fetch_add(1); });
      }
      tracked.reset();
      if (c.threads > 0) {
        ASSERT_TRUE(WaitUntil([&] { return longTaskStarted.load(); }));
      }
      // Release the long task only once destruction has begun and stopped the queue.
      std::thread releaser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        release.set_value();
      });
      pool.reset();
      releaser.join();
    }
    EXPECT_EQ(queuedRuns.load(), c.expectedQueuedRuns);
    EXPECT_EQ(longTaskEnded.load(), c.threads > 0) << "a running task always runs to its end";
    EXPECT_TRUE(trackedWeak.expired()) << "tasks that never ran are released";
  }
}

TEST(AsioWorkManagerTest, DrainingRunsTasksQueuedWhileDraining) {
  std::atomic<int> runs{0};
  {
    AsioWorkManager pool(2, true);
    pool.Post([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      pool.Post([&] { runs.fetch_add(1); });
      runs.fetch_add(1);
    });
  }
  EXPECT_EQ(runs.load(), 2);
}

TEST(AsioWorkManagerTest, ThrowingTaskLeavesThePoolServing) {
  AsioWorkManager pool(1, false);
  pool.Post([] { throw std::runtime_error("escaped"); });
  std::atomic<bool> ran{false};
  pool.Post([&] { ran = true; });
  EXPECT_TRUE(WaitUntil([&] { return ran.load(); }));
}

struct ThrowingObserver : WorkCompleteCallback {
  void OnWorkComplete(const std::shared_ptr<Work>&, const WorkStatus&) override {
    calls.fetch_add(1);
    throw std::runtime_error("observer failed");
  }
  std::atomic<int> calls{0};
};

TEST(AsioWorkManagerTest, StandaloneTaskRunsAndNotifies) {
  AsioWorkManager pool(1, false);
  Recorder recorder;
  ThrowingObserver thrower;
  auto work = MakeWork("event", TestWork::Returns(WorkResult::Success), 0, &recorder);
  work->AddCompleteCallback(&thrower);
  std::weak_ptr<TestWork> weak = work;
  pool.Execute(std::move(work));
  ASSERT_TRUE(recorder.WaitForCompletions(1));
  EXPECT_EQ(recorder.Completions()[0].status.result, WorkResult::Success);
  ASSERT_TRUE(WaitUntil([&] { return thrower.calls.load() == 1; }));
  // The pool thread survived the observer and the task released the work.
  std::atomic<bool> ran{false};
  pool.Post([&] { ran = true; });
  EXPECT_TRUE(WaitUntil([&] { return ran.load(); }));
  // Only the recorder still holds the work once its task has gone.
  EXPECT_TRUE(WaitUntil([&] { return weak.use_count() == 1; }));
}

TEST(AsioWorkManagerTest, WorkflowTaskAbortsItsWorkflowWhenAnObserverThrows) {
  AsioWorkManager pool(2, false);
  Recorder recorder;
  ThrowingObserver thrower;
  auto work = MakeWork("root", TestWork::Returns(WorkResult::Success), 0, &recorder);
  work->AddCompleteCallback(&thrower);
  auto workflow = StandardWorkflow::Create(work, &pool, 2);
  ASSERT_TRUE(workflow->Start());
  ASSERT_TRUE(WaitUntil([&] { return workflow->GetState() == WorkflowState::Aborted; }));
  ASSERT_TRUE(recorder.WaitForCompletions(2));
  const auto completions = recorder.Completions();
  EXPECT_EQ(completions[0].status.result, WorkResult::Success);
  EXPECT_EQ(completions[1].status.result, WorkResult::FatalError);
  auto data = std::dynamic_pointer_cast<WorkExceptionData>(completions[1].status.data);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->ToString(), "std::runtime_error");
}

}  // namespace
}  // namespace kiv
