// Queueing and draining of event works. The pool itself never drains on destruction; the count
// of queued works lets a manager wait for delivery and still stop a pool it cannot drain.
#include "kiv/analytics/event_manager.h"

#include "kiv/analytics/track_event_work.h"
#include "kiv/work/asio_work_manager.h"
#include "kiv/work/work_status.h"

namespace kiv {

EventManager::EventManager(uint32_t threadCount)
    : workManager_(std::make_unique<AsioWorkManager>(threadCount, false)) {}

EventManager::~EventManager() = default;

void EventManager::PostEvent(std::shared_ptr<TrackEventWork> work) { Queue(std::move(work)); }

void EventManager::Queue(std::shared_ptr<SimpleWork> work) noexcept {
  if (!work) return;
  try {
    work->Reset();
    {
      std::lock_guard lock(pendingMutex_);
      ++pending_;
    }
    try {
      workManager_->Post([this, work = std::move(work)]() mutable {
        try {
          const WorkStatus status = work->Run();
          work->NotifyComplete(status);
        } catch (...) {
          // Nobody waits for an event's outcome.
        }
        // Release the work before the drain can see it done: its destructor may still touch
        // what it was built with.
        work.reset();
        OnTaskDone();
      });
    } catch (...) {
      OnTaskDone();
    }
  } catch (...) {
  }
}

void EventManager::OnTaskDone() {
  std::lock_guard lock(pendingMutex_);
  if (--pending_ == 0) drained_.notify_all();
}

void EventManager::Drain() {
  std::unique_lock lock(pendingMutex_);
  drained_.wait(lock, [this] { return pending_ == 0; });
}

}  // namespace kiv
