// The desktop's proxy settings, PAC scripts and WPAD, answered per URL by libproxy.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "kiv/http/proxy.h"

namespace kiv::http::posix {

// The four lookup time-outs in milliseconds: name resolution, connect, send, receive.
struct ProxyTimeouts {
  int32_t resolve = 5000;
  int32_t connect = 5000;
  int32_t send = 5000;
  int32_t receive = 5000;
};

class AutomaticProxy : public Proxy {
 public:
  // Opens one long-lived libproxy factory; without one every URL goes direct.
  explicit AutomaticProxy(const ProxyTimeouts& timeouts);
  ~AutomaticProxy() override;
  AutomaticProxy(const AutomaticProxy&) = delete;
  AutomaticProxy& operator=(const AutomaticProxy&) = delete;

  // After the first failed lookup every later URL goes direct at once: detection that failed
  // would only fail slowly again.
  std::string ProxyForUrl(const std::string& url) override;

  bool HasFactory() const { return factory_ != nullptr; }
  const ProxyTimeouts& GetTimeouts() const { return timeouts_; }
  bool DetectionFailed() const { return detectionFailed_.load(); }
  // The proxy choice over libproxy's answers ("direct://", "http://host:port", ...): the
  // first answer that is direct or an http proxy decides; others (socks, ...) are skipped.
  static std::string ChooseFromAnswers(const std::string& url, const char* const* answers);

 private:
  void* factory_ = nullptr;  // pxProxyFactory*, kept opaque so proxy.h stays out of headers
  // libproxy 0.4 has no way to bound a lookup's time; kept so a later libproxy can use them.
  const ProxyTimeouts timeouts_;
  std::atomic<bool> detectionFailed_{false};
};

}  // namespace kiv::http::posix
