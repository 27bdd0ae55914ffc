// How the geolocation is read.
#include "kiv/manifest/json_http_geolocation_manifest_factory.h"

#include "kiv/manifest/json_http_manifest_source.h"

namespace kiv {

std::shared_ptr<ManifestSource> JsonHttpGeolocationManifestFactory::CreateSource() {
  return CreateSource(nullptr);
}

std::shared_ptr<ManifestSource> JsonHttpGeolocationManifestFactory::CreateSource(
    std::shared_ptr<http::Session> session) {
  return std::make_shared<JsonHttpManifestSource>(endpoint_.address, endpoint_.requestFactory,
                                                  std::move(session), endpoint_.connectTimeout,
                                                  endpoint_.timeout, endpoint_.maxBytes);
}

}  // namespace kiv
