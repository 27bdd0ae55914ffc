// Loading the geolocation through a source.
#include "kiv/manifest/geolocation_manifest_factory.h"

#include "kiv/manifest/manifest_source.h"
#include "kiv/manifest/standard_geolocation_manifest.h"

namespace kiv {

std::shared_ptr<GeolocationManifest> GeolocationManifestFactory::Load(ManifestSource& source) {
  auto manifest = std::make_shared<StandardGeolocationManifest>();
  source.Read(std::string(), *manifest);
  return manifest;
}

std::shared_ptr<GeolocationManifest> GeolocationManifestFactory::Get() {
  const auto source = CreateSource();
  return Load(*source);
}

}  // namespace kiv
