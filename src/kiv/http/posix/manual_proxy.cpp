#include "kiv/http/posix/manual_proxy.h"

#include "kiv/http/proxy_choice.h"

namespace kiv::http::posix {

std::string ManualProxy::ProxyForUrl(const std::string& url) {
  return ChooseProxy(url, proxyList_, bypassList_);
}

}  // namespace kiv::http::posix
