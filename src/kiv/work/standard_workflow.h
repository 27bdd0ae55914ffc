// The workflow: a ready queue ordered by tree path, a bound on the works running at once, and the
// pause / resume / retry-pending / complete / abort states. One recursive lock guards it all; it
// is released before observers are called.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "kiv/work/work.h"
#include "kiv/work/workflow.h"

namespace kiv {

class WorkManager;

class StandardWorkflow : public Workflow, public std::enable_shared_from_this<StandardWorkflow> {
 public:
  // Builds the workflow over root and hands it down the tree (root->SetWorkflow). root and
  // manager must not be null and maxRunning not zero (std::invalid_argument otherwise).
  static std::shared_ptr<StandardWorkflow> Create(std::shared_ptr<Work> root, WorkManager* manager,
                                                  uint32_t maxRunning);

  StandardWorkflow(const StandardWorkflow&) = delete;
  StandardWorkflow& operator=(const StandardWorkflow&) = delete;
  ~StandardWorkflow() override;

  void OnWorkComplete(const std::shared_ptr<Work>& work, const WorkStatus& status) override;
  bool Start() override;
  bool Pause() override;
  bool Resume() override;
  bool Retry() override;
  WorkflowState GetState() override;
  bool IsStarted() override;
  bool IsPaused() override;
  bool IsRetryPending() override;
  bool IsFinished() override;
  bool Abort(const WorkStatus& status) override;
  void AddRetryableErrorCallback(WorkflowRetryableErrorCallback* callback) override;
  void QueueWork(const std::shared_ptr<SimpleWork>& work) override;
  void OnSimpleWorkComplete(const std::shared_ptr<SimpleWork>& work,
                            const WorkStatus& status) override;

  const std::shared_ptr<Work>& GetRoot() const { return root_; }
  uint32_t GetMaxRunning() const { return maxRunning_; }
  // Snapshot counts, for observers and tests.
  size_t GetReadyCount();
  size_t GetRunningCount();

 private:
  // The path is copied when the work is queued so that the heap order never depends on a field
  // another thread may rewrite; seq keeps equal paths in queueing order.
  struct ReadyEntry {
    WorkPath path;
    uint64_t seq;
    std::shared_ptr<SimpleWork> work;
  };
  struct ReadyAfter {
    bool operator()(const ReadyEntry& a, const ReadyEntry& b) const;
  };

  StandardWorkflow(std::shared_ptr<Work> root, WorkManager* manager, uint32_t maxRunning);

  bool IsStartedLocked() const { return state_ != WorkflowState::NotStarted; }
  bool IsPausedLocked() const;
  bool IsRetryPendingLocked() const;
  bool IsFinishedLocked() const;
  void Finish(WorkflowState state);
  void Dispatch();
  void InterruptAll();
  void QueueWorkLocked(const std::shared_ptr<SimpleWork>& work);
  void EnterRetryPending(std::unique_lock<std::recursive_mutex>& lock,
                         const std::shared_ptr<Work>& work, const WorkStatus& status);

  std::recursive_mutex lock_;
  const std::shared_ptr<Work> root_;
  WorkManager* const manager_;
  std::vector<ReadyEntry> ready_;  // a heap under ReadyAfter
  uint64_t readySeq_ = 0;
  // Keyed by identity with a count: a work that a restarting composite queues again from inside
  // its own completion notice can be handed out once more before its first task has reported
  // back, and each task must be counted until it does.
  std::unordered_map<SimpleWork*, std::pair<std::shared_ptr<SimpleWork>, uint32_t>> running_;
  size_t runningCount_ = 0;
  const uint32_t maxRunning_;
  WorkflowState state_ = WorkflowState::NotStarted;
  std::vector<WorkflowRetryableErrorCallback*> retryableErrorCallbacks_;
};

}  // namespace kiv
