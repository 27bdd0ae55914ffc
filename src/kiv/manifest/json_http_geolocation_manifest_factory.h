// The geolocation as a JSON object from the geolocation service.
#pragma once

#include "kiv/manifest/http_geolocation_manifest_factory.h"

namespace kiv {

class JsonHttpGeolocationManifestFactory : public HttpGeolocationManifestFactory {
 public:
  using HttpGeolocationManifestFactory::HttpGeolocationManifestFactory;

  std::shared_ptr<ManifestSource> CreateSource() override;
  std::shared_ptr<ManifestSource> CreateSource(std::shared_ptr<http::Session> session) override;
};

}  // namespace kiv
