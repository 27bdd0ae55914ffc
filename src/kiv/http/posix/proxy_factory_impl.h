// The system proxy on Linux: the proxy environment variables when set, else the desktop's
// settings through libproxy, else direct.
#pragma once

#include <functional>

#include "kiv/http/posix/automatic_proxy.h"
#include "kiv/http/proxy_factory.h"

namespace kiv {
struct EngineSettings;
}

namespace kiv::http::posix {

class ProxyFactoryImpl : public ProxyFactory {
 public:
  // Looks up an environment variable; nullptr when it is not set.
  using Environment = std::function<const char*(const char* name)>;

  // Reads the process environment.
  explicit ProxyFactoryImpl(const ProxyTimeouts& timeouts);
  // The same with the four time-outs from the settings' proxyResolveTimeout,
  // proxyConnectTimeout, proxySendTimeout and proxyReceiveTimeout.
  explicit ProxyFactoryImpl(const kiv::EngineSettings& settings);
  // Reads the given environment instead (tests, embedding).
  ProxyFactoryImpl(const ProxyTimeouts& timeouts, Environment environment);

  std::shared_ptr<Proxy> Create() override;

  // The bypass list for a no_proxy value: "example.com" and ".example.com" both give
  // "example.com;*.example.com", "*" stays "*".
  static std::string BypassListFromNoProxy(const std::string& noProxy);

 private:
  const ProxyTimeouts timeouts_;
  const Environment environment_;
};

}  // namespace kiv::http::posix
