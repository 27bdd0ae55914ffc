#include "kiv/http/posix/proxy_factory_impl.h"

#include <cstdlib>
#include <string>

#include "kiv/engine/engine_settings.h"
#include "kiv/http/posix/manual_proxy.h"

namespace kiv::http::posix {
namespace {

std::string Trim(const std::string& text) {
  const size_t begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string::npos) return {};
  const size_t end = text.find_last_not_of(" \t\r\n");
  return text.substr(begin, end - begin + 1);
}

}  // namespace

ProxyFactoryImpl::ProxyFactoryImpl(const ProxyTimeouts& timeouts)
    : ProxyFactoryImpl(timeouts, [](const char* name) {
        // Read once per session; the program does not change its environment while running.
        return std::getenv(name);  // NOLINT(concurrency-mt-unsafe)
      }) {}

ProxyFactoryImpl::ProxyFactoryImpl(const kiv::EngineSettings& settings)
    : ProxyFactoryImpl(ProxyTimeouts{settings.proxyResolveTimeout, settings.proxyConnectTimeout,
                                     settings.proxySendTimeout, settings.proxyReceiveTimeout}) {}

ProxyFactoryImpl::ProxyFactoryImpl(const ProxyTimeouts& timeouts, Environment environment)
    : timeouts_(timeouts), environment_(std::move(environment)) {}

std::string ProxyFactoryImpl::BypassListFromNoProxy(const std::string& noProxy) {
  std::string list;
  auto append = [&list](const std::string& entry) {
    if (!list.empty()) list += ';';
    list += entry;
  };
  size_t start = 0;
  while (start <= noProxy.size()) {
    size_t comma = noProxy.find(',', start);
    if (comma == std::string::npos) comma = noProxy.size();
    std::string entry = Trim(noProxy.substr(start, comma - start));
    start = comma + 1;
    if (entry.empty()) continue;
    if (entry == "*") {
      append(entry);
      continue;
    }
    while (!entry.empty() && entry.front() == '.') entry.erase(0, 1);
    if (entry.empty()) continue;
    append(entry);
    append("*." + entry);
  }
  return list;
}

std::shared_ptr<Proxy> ProxyFactoryImpl::Create() {
  auto read = [this](const char* name) -> std::string {
    const char* value = environment_ ? environment_(name) : nullptr;
    return value != nullptr ? Trim(value) : std::string();
  };
  // An empty variable counts as not set, as it does for libcurl and most tools.
  std::string proxyList;
  for (const char* name : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"}) {
    proxyList = read(name);
    if (!proxyList.empty()) break;
  }
  if (!proxyList.empty()) {
    std::string noProxy = read("no_proxy");
    if (noProxy.empty()) noProxy = read("NO_PROXY");
    return std::make_shared<ManualProxy>(proxyList, BypassListFromNoProxy(noProxy));
  }
  auto automatic = std::make_shared<AutomaticProxy>(timeouts_);
  if (!automatic->HasFactory()) return std::make_shared<EmptyProxy>();
  return automatic;
}

}  // namespace kiv::http::posix
