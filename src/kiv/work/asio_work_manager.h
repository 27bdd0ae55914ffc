// A fixed pool of threads that all run one Boost.Asio io_context, used as a FIFO task queue.
#pragma once

#include <cstdint>
#include <memory>

#include "kiv/work/work_manager.h"

namespace kiv {

class AsioWorkManager : public WorkManager {
 public:
  // threadCount 0 makes a pool that accepts tasks and never runs them. drainOnShutdown chooses
  // how destruction stops the pool: true runs every queued task first (and those they queue);
  // false lets running tasks end and drops the rest.
  AsioWorkManager(uint32_t threadCount, bool drainOnShutdown);
  // Joins the threads; must not run on one of the pool's own threads.
  ~AsioWorkManager() override;

  void Post(std::function<void()> task) override;
  void Execute(std::shared_ptr<SimpleWork> work) override;
  void ExecuteForWorkflow(std::shared_ptr<Workflow> workflow,
                          std::shared_ptr<SimpleWork> work) override;

  uint32_t GetThreadCount() const { return threadCount_; }
  bool GetDrainOnShutdown() const { return drainOnShutdown_; }

 private:
  struct Impl;  // io_context, keep-alive guard and threads; keeps Asio out of this header
  std::unique_ptr<Impl> impl_;
  const uint32_t threadCount_;
  const bool drainOnShutdown_;
};

}  // namespace kiv
