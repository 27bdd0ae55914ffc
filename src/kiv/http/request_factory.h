// The single entry point through which manifests, chunk requests and analytics obtain a
// request: pooled per session when a session is given.
#pragma once

#include <memory>
#include <string>

namespace kiv::http {

class Proxy;
class ProxyFactory;
class Request;
class Session;
struct RequestParams;

class RequestFactory {
 public:
  // The proxy factory is not owned and must outlive the request factory.
  explicit RequestFactory(ProxyFactory* proxyFactory) : proxyFactory_(proxyFactory) {}
  virtual ~RequestFactory() = default;

  // A new request that is not pooled.
  virtual std::shared_ptr<Request> Create(const RequestParams& params,
                                          const std::string& proxy) = 0;

  // Without a session: a new, unpooled request through a fresh proxy decision. With one: a
  // request from the session's pool (or a new one added to it), wrapped so that it returns to
  // the pool when its last owner drops it. Errors of Create pass through unchanged.
  std::shared_ptr<Request> CreateRequest(const RequestParams& params,
                                         const std::shared_ptr<Session>& session);

 protected:
  ProxyFactory* proxyFactory_;

 private:
  std::string ProxyString(const std::shared_ptr<Proxy>& proxy, const std::string& url) const;
};

}  // namespace kiv::http
