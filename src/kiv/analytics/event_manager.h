// The base of the analytics and work-log managers: it makes event works and runs them on a pool
// of its own, so that whoever raises an event only builds a tree and queues it.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>

namespace kiv {

class SimpleWork;
class TrackEventWork;
class WorkManager;

class EventManager {
 public:
  // threadCount 0 gives a pool that never runs anything (the null analytics manager).
  explicit EventManager(uint32_t threadCount);
  EventManager(const EventManager&) = delete;
  EventManager& operator=(const EventManager&) = delete;
  // Stops the pool: works still queued are dropped. Managers that must deliver what was queued
  // call Drain first, in their own destructor, while their members are still alive.
  virtual ~EventManager();

  // A new event work with the given flags and empty params.
  virtual std::shared_ptr<TrackEventWork> CreateEvent(int32_t flags) = 0;
  // Queues the work on this manager's pool; returns at once. Never throws.
  virtual void PostEvent(std::shared_ptr<TrackEventWork> work);

 protected:
  // Resets the work and queues it as a stand-alone task (Run, then NotifyComplete). Never
  // throws: a work that cannot be queued is dropped.
  void Queue(std::shared_ptr<SimpleWork> work) noexcept;
  // Returns once every work queued so far has run, including works that those queue while
  // the drain goes on. Must not be called from one of the pool's threads.
  void Drain();

 private:
  void OnTaskDone();

  std::mutex pendingMutex_;
  std::condition_variable drained_;
  uint64_t pending_ = 0;
  // Last member: its destructor joins the threads before the counters above go away.
  std::unique_ptr<WorkManager> workManager_;
};

}  // namespace kiv
