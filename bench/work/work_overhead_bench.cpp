// Framework overhead per simple work: queue, run, notify and complete inside a lazy parallel
// composite on a 6-thread pool, with tasks that do nothing, so that only the framework is timed.
#include <benchmark/benchmark.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "kiv/work/asio_work_manager.h"
#include "kiv/work/lazy_parallel_work.h"
#include "kiv/work/sequential_work.h"
#include "kiv/work/simple_work.h"
#include "kiv/work/standard_workflow.h"
#include "kiv/work/work_complete_callback.h"

namespace kiv {
namespace {

constexpr uint32_t kThreads = 6;

class EmptyWork : public SimpleWork {
 public:
  WorkStatus ExecuteTask() override { return WorkStatus(WorkResult::Success); }
  void Interrupt() override {}
};

// Produces `count` children on demand, each from `make`.
class CountedLazyWork : public LazyParallelWork {
 public:
  CountedLazyWork(WorkCompleteCallback* callback, int64_t count, int chainLength)
      : LazyParallelWork(callback, kThreads), count_(count), chainLength_(chainLength) {}

  std::shared_ptr<Work> CreateNextWork() override {
    if (next_ >= count_) return nullptr;
    ++next_;
    if (chainLength_ == 1) return std::make_shared<EmptyWork>();
    // A chunk-like sequence of simple works.
    auto sequence = std::make_shared<SequentialWork>(nullptr, chainLength_);
    for (int i = 0; i < chainLength_; ++i) sequence->AddChild(std::make_shared<EmptyWork>());
    return sequence;
  }

 private:
  const int64_t count_;
  const int chainLength_;
  int64_t next_ = 0;
};

class Done : public WorkCompleteCallback {
 public:
  void OnWorkComplete(const std::shared_ptr<Work>&, const WorkStatus&) override {
    {
      std::lock_guard guard(mutex_);
      done_ = true;
    }
    cv_.notify_all();
  }
  void Wait() {
    std::unique_lock lock(mutex_);
    cv_.wait(lock, [&] { return done_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  bool done_ = false;
};

// range(0): children of the lazy parallel work; range(1): simple works per child.
void BM_SimpleWorkOverhead(benchmark::State& state) {
  const int64_t children = state.range(0);
  const int chain = static_cast<int>(state.range(1));
  AsioWorkManager pool(kThreads, false);
  for (auto _ : state) {
    Done done;
    auto root = std::make_shared<CountedLazyWork>(&done, children, chain);
    auto workflow = StandardWorkflow::Create(root, &pool, kThreads);
    workflow->Start();
    done.Wait();
  }
  const double works = static_cast<double>(children * chain);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(works));
  // Wall time per simple work (seconds, shown scaled).
  state.counters["per_work"] = benchmark::Counter(
      works, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_SimpleWorkOverhead)
    ->Args({10000, 1})
    ->Args({4000, 3})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace kiv

BENCHMARK_MAIN();
