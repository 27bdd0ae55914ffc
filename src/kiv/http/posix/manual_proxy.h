// A fixed proxy list with a bypass list, as the user configured it (here: the proxy
// environment variables).
#pragma once

#include <string>

#include "kiv/http/proxy.h"

namespace kiv::http::posix {

class ManualProxy : public Proxy {
 public:
  ManualProxy(std::string proxyList, std::string bypassList)
      : proxyList_(std::move(proxyList)), bypassList_(std::move(bypassList)) {}

  std::string ProxyForUrl(const std::string& url) override;

  const std::string& GetProxyList() const { return proxyList_; }
  const std::string& GetBypassList() const { return bypassList_; }

 private:
  const std::string proxyList_;
  const std::string bypassList_;
};

}  // namespace kiv::http::posix
