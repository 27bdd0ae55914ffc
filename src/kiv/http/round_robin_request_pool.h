// A request pool that hands out the request released longest ago first, so reuse (and the
// connections each request keeps open) spreads over all requests of the pool.
#pragma once

#include <deque>
#include <memory>
#include <mutex>
#include <unordered_set>

#include "kiv/http/request_pool.h"

namespace kiv::http {

class RoundRobinRequestPool : public RequestPool {
 public:
  void Add(const std::shared_ptr<Request>& request, bool makeAvailable) override;
  std::shared_ptr<Request> Acquire(const RequestParams& params, const std::string& proxy) override;
  void Release(const std::shared_ptr<Request>& request) override;

  // For tests and diagnostics.
  size_t RegisteredCount() const;
  size_t AvailableCount() const;

 private:
  void MakeAvailable(const std::shared_ptr<Request>& request);

  mutable std::recursive_mutex mutex_;
  std::unordered_set<std::shared_ptr<Request>> registered_;
  std::unordered_set<std::shared_ptr<Request>> availableSet_;
  std::deque<std::shared_ptr<Request>> availableQueue_;
};

}  // namespace kiv::http
