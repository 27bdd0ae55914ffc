// The geolocation fetched over HTTP from the geolocation service's URL.
#pragma once

#include "kiv/manifest/geolocation_manifest_factory.h"
#include "kiv/manifest/http_manifest_endpoint.h"

namespace kiv::http {
class Session;
}

namespace kiv {

class HttpGeolocationManifestFactory : public GeolocationManifestFactory {
 public:
  // endpoint.address is the service's full URL, used unchanged.
  explicit HttpGeolocationManifestFactory(HttpManifestEndpoint endpoint)
      : endpoint_(std::move(endpoint)) {}

  using GeolocationManifestFactory::CreateSource;
  using GeolocationManifestFactory::Get;

  // CreateSource with the session, then Load.
  virtual std::shared_ptr<GeolocationManifest> Get(std::shared_ptr<http::Session> session);
  virtual std::shared_ptr<ManifestSource> CreateSource(std::shared_ptr<http::Session> session) = 0;

 protected:
  const HttpManifestEndpoint endpoint_;
};

}  // namespace kiv
