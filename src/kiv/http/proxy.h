// A proxy decision: which proxy, if any, a URL is fetched through.
#pragma once

#include <string>

namespace kiv::http {

class Proxy {
 public:
  virtual ~Proxy() = default;
  // The proxy for the URL as libcurl takes it ("host:port", possibly with a scheme); the
  // empty string means a direct connection.
  virtual std::string ProxyForUrl(const std::string& url) = 0;
};

// Always a direct connection.
class EmptyProxy : public Proxy {
 public:
  std::string ProxyForUrl(const std::string&) override { return {}; }
};

}  // namespace kiv::http
