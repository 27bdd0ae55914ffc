// Makes the client's geolocation manifest (it takes no locator).
#pragma once

#include <memory>

namespace kiv {

class GeolocationManifest;
class ManifestSource;

class GeolocationManifestFactory {
 public:
  GeolocationManifestFactory() = default;
  GeolocationManifestFactory(const GeolocationManifestFactory&) = delete;
  GeolocationManifestFactory& operator=(const GeolocationManifestFactory&) = delete;
  virtual ~GeolocationManifestFactory() = default;

  virtual std::shared_ptr<ManifestSource> CreateSource() = 0;
  // Reads a fresh geolocation from the source.
  virtual std::shared_ptr<GeolocationManifest> Load(ManifestSource& source);
  // CreateSource, then Load.
  virtual std::shared_ptr<GeolocationManifest> Get();
};

}  // namespace kiv
