// Test doubles shared by the work framework tests: a scriptable simple work, a completion
// recorder, small composites over fixed children, and bounded waits.
#pragma once

#include <atomic>
#include <boost/property_tree/ptree.hpp>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "kiv/work/conditional_work.h"
#include "kiv/work/lazy_parallel_work.h"
#include "kiv/work/limited_retry_simple_work.h"
#include "kiv/work/simple_work.h"
#include "kiv/work/simple_work_retry_callback.h"
#include "kiv/work/work_complete_callback.h"
#include "kiv/work/work_error_data.h"
#include "kiv/work/work_status.h"
#include "kiv/work/workflow.h"
#include "kiv/work/workflow_retryable_error_callback.h"

namespace kiv::test {

using namespace std::chrono_literals;

// Generous bound for anything that should happen "soon"; tests never assert on timing.
inline constexpr auto kWait = 20s;

template <class Predicate>
bool WaitUntil(Predicate predicate, std::chrono::milliseconds timeout = kWait) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!predicate()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

inline WorkStatus Status(WorkResult result, const std::string& message = std::string()) {
  if (message.empty()) return WorkStatus(result);
  return WorkStatus(result, std::make_shared<WorkErrorData>(message));
}

inline std::string ErrorMessage(const WorkStatus& status) {
  auto data = std::dynamic_pointer_cast<WorkErrorData>(status.data);
  return data ? data->GetErrorMessage() : std::string();
}

// Records every completion (and retry) it is told of.
class Recorder : public WorkCompleteCallback, public SimpleWorkRetryCallback {
 public:
  struct Entry {
    std::shared_ptr<Work> work;
    WorkStatus status;
  };

  void OnWorkComplete(const std::shared_ptr<Work>& work, const WorkStatus& status) override {
    std::lock_guard guard(mutex_);
    completions_.push_back({work, status});
  }
  void OnSimpleWorkRetry(const std::shared_ptr<SimpleWork>& work,
                         const WorkStatus& status) override {
    std::lock_guard guard(mutex_);
    retries_.push_back({work, status});
    retryThreads_.push_back(std::this_thread::get_id());
  }

  std::vector<Entry> Completions() const {
    std::lock_guard guard(mutex_);
    return completions_;
  }
  std::vector<Entry> Retries() const {
    std::lock_guard guard(mutex_);
    return retries_;
  }
  std::vector<std::thread::id> RetryThreads() const {
    std::lock_guard guard(mutex_);
    return retryThreads_;
  }
  size_t CompletionCount() const {
    std::lock_guard guard(mutex_);
    return completions_.size();
  }
  bool WaitForCompletions(size_t count, std::chrono::milliseconds timeout = kWait) const {
    return WaitUntil([&] { return CompletionCount() >= count; }, timeout);
  }

 private:
  mutable std::mutex mutex_;
  std::vector<Entry> completions_;
  std::vector<Entry> retries_;
  std::vector<std::thread::id> retryThreads_;
};

// A simple work whose task is a function of the work itself; counts its runs and interrupts and
// can block until it is interrupted or released.
class TestWork : public LimitedRetrySimpleWork {
 public:
  using Task = std::function<WorkStatus(TestWork&)>;

  TestWork(std::string name, Task task, uint32_t maxRetries = 0,
           WorkCompleteCallback* callback = nullptr)
      : LimitedRetrySimpleWork(callback, maxRetries),
        name_(std::move(name)),
        task_(std::move(task)) {}

  // Answers the results in order, repeating the last one.
  static Task Script(std::vector<WorkStatus> results) {
    auto next = std::make_shared<std::atomic<size_t>>(0);
    return [results = std::move(results), next](TestWork&) {
      const size_t i = next->fetch_add(1);
      return results[std::min(i, results.size() - 1)];
    };
  }
  static Task Returns(WorkResult result) { return Script({WorkStatus(result)}); }
  // Waits until interrupted (answers Interrupted) or released (answers Success).
  static Task BlockUntilInterrupted() {
    return [](TestWork& self) {
      return self.WaitForInterruptOrRelease() ? WorkStatus(WorkResult::Interrupted)
                                              : WorkStatus(WorkResult::Success);
    };
  }

  // Ignores interrupts: waits until released, then answers Success.
  static Task WaitForRelease() {
    return [](TestWork& self) {
      self.WaitReleased();
      return WorkStatus(WorkResult::Success);
    };
  }

  WorkStatus ExecuteTask() override {
    const int inFlight = inFlight_.fetch_add(1) + 1;
    if (inFlight > maxInFlight_.load()) maxInFlight_.store(inFlight);
    runs_.fetch_add(1);
    {
      std::lock_guard guard(mutex_);
      started_ = true;
      lastPath_ = GetPath();
      threads_.push_back(std::this_thread::get_id());
    }
    startedCv_.notify_all();
    WorkStatus status = task_(*this);
    inFlight_.fetch_sub(1);
    return status;
  }

  void Interrupt() override {
    interrupts_.fetch_add(1);
    {
      std::lock_guard guard(mutex_);
      interruptRequested_ = true;
    }
    cv_.notify_all();
  }

  void Reset() override {
    LimitedRetrySimpleWork::Reset();
    std::lock_guard guard(mutex_);
    interruptRequested_ = false;
  }

  void Describe(boost::property_tree::ptree& tree) const override { tree.put("name", name_); }

  // True when interrupted, false when released; bounded so a broken test cannot hang.
  bool WaitForInterruptOrRelease() {
    std::unique_lock lock(mutex_);
    cv_.wait_for(lock, kWait, [&] { return interruptRequested_ || released_; });
    return interruptRequested_ && !released_;
  }
  bool WaitReleased() {
    std::unique_lock lock(mutex_);
    return cv_.wait_for(lock, kWait, [&] { return released_; });
  }
  void Release() {
    {
      std::lock_guard guard(mutex_);
      released_ = true;
    }
    cv_.notify_all();
  }
  bool WaitStarted(std::chrono::milliseconds timeout = kWait) {
    std::unique_lock lock(mutex_);
    return startedCv_.wait_for(lock, timeout, [&] { return started_; });
  }

  const std::string& Name() const { return name_; }
  int Runs() const { return runs_.load(); }
  int Interrupts() const { return interrupts_.load(); }
  int MaxInFlight() const { return maxInFlight_.load(); }
  WorkPath LastPath() const {
    std::lock_guard guard(mutex_);
    return lastPath_;
  }
  std::vector<std::thread::id> Threads() const {
    std::lock_guard guard(mutex_);
    return threads_;
  }

 private:
  const std::string name_;
  Task task_;
  std::atomic<int> runs_{0};
  std::atomic<int> interrupts_{0};
  std::atomic<int> inFlight_{0};
  std::atomic<int> maxInFlight_{0};
  mutable std::mutex mutex_;
  std::condition_variable cv_;
  std::condition_variable startedCv_;
  bool interruptRequested_ = false;
  bool released_ = false;
  bool started_ = false;
  WorkPath lastPath_;
  std::vector<std::thread::id> threads_;
};

inline std::shared_ptr<TestWork> MakeWork(std::string name, TestWork::Task task,
                                          uint32_t maxRetries = 0,
                                          WorkCompleteCallback* callback = nullptr) {
  return std::make_shared<TestWork>(std::move(name), std::move(task), maxRetries, callback);
}

// Records each time a workflow enters its retry-pending state; may act on the workflow from
// inside the notice.
class RetryPendingRecorder : public WorkflowRetryableErrorCallback {
 public:
  std::function<void(const std::shared_ptr<Workflow>&)> action;

  void OnWorkflowRetryableError(const std::shared_ptr<Workflow>& workflow,
                                const std::shared_ptr<Work>& work,
                                const WorkStatus& status) override {
    {
      std::lock_guard guard(mutex_);
      works_.push_back(work);
      statuses_.push_back(status);
    }
    if (action) action(workflow);
  }
  size_t Count() const {
    std::lock_guard guard(mutex_);
    return works_.size();
  }
  std::shared_ptr<Work> WorkAt(size_t i) const {
    std::lock_guard guard(mutex_);
    return works_.at(i);
  }
  WorkStatus StatusAt(size_t i) const {
    std::lock_guard guard(mutex_);
    return statuses_.at(i);
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::shared_ptr<Work>> works_;
  std::vector<WorkStatus> statuses_;
};

// A lazy parallel work over a fixed list of children.
class ListLazyWork : public LazyParallelWork {
 public:
  ListLazyWork(uint32_t capacity, std::vector<std::shared_ptr<Work>> children,
               WorkCompleteCallback* callback = nullptr)
      : LazyParallelWork(callback, capacity), children_(std::move(children)) {}

  std::shared_ptr<Work> CreateNextWork() override {
    if (next_ >= children_.size()) return nullptr;
    return children_[next_++];
  }
  void Reset() override {
    std::lock_guard guard(Mutex());
    LazyParallelWork::Reset();
    next_ = 0;
  }

 private:
  std::vector<std::shared_ptr<Work>> children_;
  size_t next_ = 0;
};

// A conditional work over three given children, set in the constructor as the pipeline does.
class TestConditionalWork : public ConditionalWork {
 public:
  TestConditionalWork(std::shared_ptr<Work> condition, std::shared_ptr<Work> onSuccess,
                      std::shared_ptr<Work> onFailure, WorkCompleteCallback* callback = nullptr)
      : ConditionalWork(callback) {
    if (condition) SetCondition(std::move(condition));
    if (onSuccess) SetOnSuccess(std::move(onSuccess));
    if (onFailure) SetOnFailure(std::move(onFailure));
  }
};

}  // namespace kiv::test
