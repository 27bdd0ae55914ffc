// Loading package manifests through a source.
#include "kiv/manifest/package_manifest_factory.h"

#include "kiv/manifest/manifest_exceptions.h"
#include "kiv/manifest/manifest_source.h"
#include "kiv/manifest/standard_package_manifest.h"

namespace kiv {

std::shared_ptr<PackageManifest> PackageManifestFactory::Load(ManifestSource& source,
                                                              const std::string& locator) {
  auto manifest = std::make_shared<StandardPackageManifest>();
  source.Read(locator, *manifest);
  if (!Matches(*manifest, locator)) throw ManifestLocatorException();
  return manifest;
}

std::shared_ptr<PackageManifest> PackageManifestFactory::Get(const std::string& locator) {
  const auto source = CreateSource(locator);
  return Load(*source, locator);
}

}  // namespace kiv
