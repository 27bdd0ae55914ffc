#include "kiv/http/round_robin_request_pool.h"

#include "kiv/http/request.h"

namespace kiv::http {

void RoundRobinRequestPool::Add(const std::shared_ptr<Request>& request, bool makeAvailable) {
  if (!request) return;
  std::lock_guard lock(mutex_);
  const bool inserted = registered_.insert(request).second;
  if (inserted && makeAvailable) MakeAvailable(request);
}

std::shared_ptr<Request> RoundRobinRequestPool::Acquire(const RequestParams& params,
                                                        const std::string& proxy) {
  std::lock_guard lock(mutex_);
  while (!availableQueue_.empty()) {
    std::shared_ptr<Request> candidate = std::move(availableQueue_.front());
    availableQueue_.pop_front();
    availableSet_.erase(candidate);
    // The pool's lock is held across Reset (which takes the request's own lock): the order is
    // always pool, then request.
    if (candidate->Reset(params, proxy)) return candidate;
    // Still running (someone kept performing it after releasing it): it leaves the pool for
    // good, so a later Release of it is ignored.
    registered_.erase(candidate);
  }
  return nullptr;
}

void RoundRobinRequestPool::Release(const std::shared_ptr<Request>& request) {
  if (!request) return;
  std::lock_guard lock(mutex_);
  if (registered_.count(request) != 0) MakeAvailable(request);
}

size_t RoundRobinRequestPool::RegisteredCount() const {
  std::lock_guard lock(mutex_);
  return registered_.size();
}

size_t RoundRobinRequestPool::AvailableCount() const {
  std::lock_guard lock(mutex_);
  return availableQueue_.size();
}

void RoundRobinRequestPool::MakeAvailable(const std::shared_ptr<Request>& request) {
  if (availableSet_.insert(request).second) availableQueue_.push_back(request);
}

}  // namespace kiv::http
