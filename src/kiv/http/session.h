// The requests of one user of the network (a transfer, the analytics manager): a pool of
// reusable requests and the proxy object chosen the first time the session needed one.
#pragma once

#include <memory>
#include <mutex>

namespace kiv::http {

class Proxy;
class RequestPool;

class Session {
 public:
  explicit Session(std::shared_ptr<RequestPool> pool) : pool_(std::move(pool)) {}
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // The pool never changes, so no lock is needed.
  const std::shared_ptr<RequestPool>& GetPool() const { return pool_; }

  std::shared_ptr<Proxy> GetProxy() const {
    std::lock_guard lock(mutex_);
    return proxy_;
  }
  void SetProxy(std::shared_ptr<Proxy> proxy) {
    std::lock_guard lock(mutex_);
    proxy_ = std::move(proxy);
  }

 private:
  mutable std::mutex mutex_;
  const std::shared_ptr<RequestPool> pool_;
  std::shared_ptr<Proxy> proxy_;
};

}  // namespace kiv::http
