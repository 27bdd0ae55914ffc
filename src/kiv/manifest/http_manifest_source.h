// A manifest source that fetches its text with one HTTP GET of a fixed URL; a fetch in flight
// can be aborted from another thread.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "kiv/manifest/manifest_source.h"

namespace kiv::http {
class Request;
class RequestFactory;
class Session;
}  // namespace kiv::http

namespace kiv {

class HttpManifestSource : public ManifestSource {
 public:
  // The request factory is not owned and must outlive the source; the session may be null.
  // Time-outs are in seconds; a body larger than maxBytes is refused.
  HttpManifestSource(std::string url, http::RequestFactory* requestFactory,
                     std::shared_ptr<http::Session> session, int32_t connectTimeout,
                     int32_t timeout, uint64_t maxBytes);
  HttpManifestSource(const HttpManifestSource&) = delete;
  HttpManifestSource& operator=(const HttpManifestSource&) = delete;
  ~HttpManifestSource() override;

  // The key is not used. Raises ManifestLocatorException for a bad URL or a 4xx answer,
  // ManifestAbortedException after Abort, std::bad_alloc when memory runs out, and
  // ManifestStreamException for every other failure, a body over the size limit included.
  void Fetch(const std::string& key, std::stringstream& output) override;

  // Cancels the fetch in flight, if any. Safe from any thread at any time; an abort that comes
  // before the fetch has started its request does nothing.
  void Abort();

  const std::string& GetUrl() const { return url_; }

 private:
  std::mutex mutex_;
  const std::string url_;
  http::RequestFactory* const requestFactory_;
  const std::shared_ptr<http::Session> session_;
  const int32_t connectTimeout_;
  const int32_t timeout_;
  const uint64_t maxBytes_;
  std::shared_ptr<http::Request> currentRequest_;
};

}  // namespace kiv
