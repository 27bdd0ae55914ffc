// Where and how an HTTP manifest factory fetches: its address, request factory, time-outs and
// the largest manifest body it accepts.
#pragma once

#include <cstdint>
#include <string>

namespace kiv::http {
class RequestFactory;
}

namespace kiv {

struct HttpManifestEndpoint {
  // The manifest host ("host" or "host:port") for packages and node lists; the full URL of the
  // service for the geolocation.
  std::string address;
  // Not owned; must outlive the factory and every source it creates.
  http::RequestFactory* requestFactory = nullptr;
  int32_t connectTimeout = 10;  // seconds
  int32_t timeout = 30;         // seconds, whole request
  uint64_t maxBytes = 256ull << 20;
};

// "http://" + host + path composed with a URI builder (the path is percent-encoded where it
// must be). Raises ManifestLocatorException when the host is not a usable authority.
std::string ComposeManifestUrl(const std::string& host, const std::string& path);

}  // namespace kiv
