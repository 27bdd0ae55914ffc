// The executor on which simple works run: a pool that runs queued callables.
#pragma once

#include <functional>
#include <memory>

namespace kiv {

class SimpleWork;
class Workflow;

class WorkManager {
 public:
  WorkManager() = default;
  WorkManager(const WorkManager&) = delete;
  WorkManager& operator=(const WorkManager&) = delete;
  virtual ~WorkManager() = default;

  // Queues the callable; some pool thread calls it once. All three operations return at once and
  // may be called from any thread, pool threads included.
  virtual void Post(std::function<void()> task) = 0;
  // Stand-alone work (event and log works that belong to no workflow): Run, then
  // NotifyComplete; anything thrown is dropped. The work is kept alive until its task has run.
  virtual void Execute(std::shared_ptr<SimpleWork> work) = 0;
  // Workflow task: Run, NotifyComplete, then the workflow's OnSimpleWorkComplete; an exception
  // from any of them aborts the workflow with FatalError carrying the exception.
  virtual void ExecuteForWorkflow(std::shared_ptr<Workflow> workflow,
                                  std::shared_ptr<SimpleWork> work) = 0;

 protected:
  // The two task bodies, for implementations to run on their threads. Neither throws.
  static void RunStandaloneTask(const std::shared_ptr<SimpleWork>& work) noexcept;
  static void RunWorkflowTask(const std::shared_ptr<Workflow>& workflow,
                              const std::shared_ptr<SimpleWork>& work) noexcept;
};

}  // namespace kiv
