#include "kiv/http/posix/automatic_proxy.h"

#include <proxy.h>

#include "kiv/http/proxy_choice.h"

namespace kiv::http::posix {

AutomaticProxy::AutomaticProxy(const ProxyTimeouts& timeouts)
    : factory_(px_proxy_factory_new()), timeouts_(timeouts) {}

AutomaticProxy::~AutomaticProxy() {
  if (factory_ != nullptr) px_proxy_factory_free(static_cast<pxProxyFactory*>(factory_));
}

std::string AutomaticProxy::ChooseFromAnswers(const std::string& url, const char* const* answers) {
  if (answers == nullptr) return {};
  for (const char* const* answer = answers; *answer != nullptr; ++answer) {
    const std::string text = *answer;
    if (text.rfind("direct://", 0) == 0) return {};
    if (text.rfind("http://", 0) == 0) return ChooseProxy(url, text, std::string());
  }
  return {};
}

std::string AutomaticProxy::ProxyForUrl(const std::string& url) {
  if (factory_ == nullptr || detectionFailed_.load()) return {};
  // libproxy's lookup is thread-safe, so parallel requests of a session do not wait on each
  // other here.
  char** answers =
      px_proxy_factory_get_proxies(static_cast<pxProxyFactory*>(factory_), url.c_str());
  if (answers == nullptr) {
    detectionFailed_.store(true);
    return {};
  }
  std::string proxy = ChooseFromAnswers(url, answers);
  px_proxy_factory_free_proxies(answers);
  return proxy;
}

}  // namespace kiv::http::posix
