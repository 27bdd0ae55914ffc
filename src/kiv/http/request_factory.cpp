#include "kiv/http/request_factory.h"

#include "kiv/http/pooled_request_wrapper.h"
#include "kiv/http/proxy.h"
#include "kiv/http/proxy_factory.h"
#include "kiv/http/request.h"
#include "kiv/http/request_pool.h"
#include "kiv/http/session.h"

namespace kiv::http {

std::string RequestFactory::ProxyString(const std::shared_ptr<Proxy>& proxy,
                                        const std::string& url) const {
  return proxy ? proxy->ProxyForUrl(url) : std::string();
}

std::shared_ptr<Request> RequestFactory::CreateRequest(const RequestParams& params,
                                                       const std::shared_ptr<Session>& session) {
  if (!session) {
    std::shared_ptr<Proxy> proxy = proxyFactory_ ? proxyFactory_->Create() : nullptr;
    return Create(params, ProxyString(proxy, params.url));
  }

  // Two threads that find no proxy at once may both make one; the later one is kept, and both
  // are equivalent decisions.
  std::shared_ptr<Proxy> proxy = session->GetProxy();
  if (!proxy) {
    proxy = proxyFactory_ ? proxyFactory_->Create() : nullptr;
    if (!proxy) proxy = std::make_shared<EmptyProxy>();
    session->SetProxy(proxy);
  }
  const std::string proxyString = ProxyString(proxy, params.url);

  const std::shared_ptr<RequestPool>& pool = session->GetPool();
  std::shared_ptr<Request> request = pool ? pool->Acquire(params, proxyString) : nullptr;
  if (!request) {
    request = Create(params, proxyString);
    if (pool) pool->Add(request, false);
  }
  return std::make_shared<PooledRequestWrapper>(std::move(request), pool);
}

}  // namespace kiv::http
