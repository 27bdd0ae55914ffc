#include "kiv/http/pooled_request_wrapper.h"

#include <stdexcept>

#include "kiv/http/request_pool.h"

namespace kiv::http {

PooledRequestWrapper::PooledRequestWrapper(std::shared_ptr<Request> request,
                                           std::shared_ptr<RequestPool> pool)
    : request_(std::move(request)), pool_(std::move(pool)) {
  if (!request_) throw std::invalid_argument("PooledRequestWrapper created without a request");
}

PooledRequestWrapper::~PooledRequestWrapper() {
  // Often runs while a finished work unwinds; a failing pool must not take the process down.
  try {
    if (pool_) pool_->Release(request_);
  } catch (...) {
  }
}

}  // namespace kiv::http
