// The session-taking read of HTTP geolocation factories.
#include "kiv/manifest/http_geolocation_manifest_factory.h"

#include "kiv/manifest/geolocation_manifest.h"
#include "kiv/manifest/manifest_source.h"

namespace kiv {

std::shared_ptr<GeolocationManifest> HttpGeolocationManifestFactory::Get(
    std::shared_ptr<http::Session> session) {
  const auto source = CreateSource(std::move(session));
  return Load(*source);
}

}  // namespace kiv
