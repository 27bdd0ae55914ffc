// A pool of reusable requests: finished requests wait here to be reset and handed out again.
#pragma once

#include <memory>
#include <string>

namespace kiv::http {

class Request;
struct RequestParams;

class RequestPool {
 public:
  virtual ~RequestPool() = default;
  // Registers the request; a request not registered before becomes available when
  // makeAvailable is set.
  virtual void Add(const std::shared_ptr<Request>& request, bool makeAvailable) = 0;
  // An available request reset to the given parameters, or none.
  virtual std::shared_ptr<Request> Acquire(const RequestParams& params,
                                           const std::string& proxy) = 0;
  // Makes a registered request available again; anything else is ignored.
  virtual void Release(const std::shared_ptr<Request>& request) = 0;
};

}  // namespace kiv::http
