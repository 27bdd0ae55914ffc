// Package manifests fetched over HTTP from the manifest host.
#pragma once

#include "kiv/manifest/http_manifest_endpoint.h"
#include "kiv/manifest/package_manifest_factory.h"

namespace kiv::http {
class Session;
}

namespace kiv {

class HttpPackageManifestFactory : public PackageManifestFactory {
 public:
  explicit HttpPackageManifestFactory(HttpManifestEndpoint endpoint)
      : endpoint_(std::move(endpoint)) {}

  using PackageManifestFactory::CreateSource;
  using PackageManifestFactory::Get;

  // True when the manifest's id equals the locator's package part (before the first slash).
  bool Matches(const PackageManifest& manifest, const std::string& locator) const override;
  // CreateSource with the session, then Load.
  virtual std::shared_ptr<PackageManifest> Get(const std::string& locator,
                                               std::shared_ptr<http::Session> session);
  virtual std::shared_ptr<ManifestSource> CreateSource(const std::string& locator,
                                                       std::shared_ptr<http::Session> session) = 0;
  // Raises ManifestLocatorException when no URL can be composed.
  virtual std::string GetUrl(const std::string& locator) const = 0;

 protected:
  const HttpManifestEndpoint endpoint_;
};

}  // namespace kiv
