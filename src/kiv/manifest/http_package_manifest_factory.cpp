// The package match rule and the session-taking read of HTTP package factories.
#include "kiv/manifest/http_package_manifest_factory.h"

#include "kiv/manifest/manifest_source.h"
#include "kiv/manifest/package_manifest.h"

namespace kiv {

bool HttpPackageManifestFactory::Matches(const PackageManifest& manifest,
                                         const std::string& locator) const {
  // The version part is compared later by the transfer, not here.
  const std::string package = locator.substr(0, locator.find('/'));
  return manifest.GetId() == package;
}

std::shared_ptr<PackageManifest> HttpPackageManifestFactory::Get(
    const std::string& locator, std::shared_ptr<http::Session> session) {
  const auto source = CreateSource(locator, std::move(session));
  return Load(*source, locator);
}

}  // namespace kiv
