// Builds the proxy object of a session from the system's proxy settings.
#pragma once

#include <memory>

namespace kiv::http {

class Proxy;

class ProxyFactory {
 public:
  virtual ~ProxyFactory() = default;
  virtual std::shared_ptr<Proxy> Create() = 0;
};

}  // namespace kiv::http
