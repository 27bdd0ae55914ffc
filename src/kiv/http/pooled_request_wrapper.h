// Hands a pooled request to one user; when the last owner drops the wrapper the request goes
// back to its pool.
#pragma once

#include <memory>

#include "kiv/http/request.h"

namespace kiv::http {

class RequestPool;

class PooledRequestWrapper : public Request {
 public:
  PooledRequestWrapper(std::shared_ptr<Request> request, std::shared_ptr<RequestPool> pool);
  ~PooledRequestWrapper() override;

  RequestResult Perform() override { return request_->Perform(); }
  RequestResult GetResult() override { return request_->GetResult(); }
  void Cancel() override { request_->Cancel(); }
  bool Reset(const RequestParams& params, const std::string& proxy) override {
    return request_->Reset(params, proxy);
  }

  const std::shared_ptr<Request>& GetPooledRequest() const { return request_; }

 private:
  std::shared_ptr<Request> request_;
  std::shared_ptr<RequestPool> pool_;
};

}  // namespace kiv::http
