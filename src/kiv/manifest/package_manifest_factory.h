// Makes package manifests from locators ("package" for the current version, or
// "package/version") and checks that what arrived is the package asked for.
#pragma once

#include <memory>
#include <string>

namespace kiv {

class ManifestSource;
class PackageManifest;

class PackageManifestFactory {
 public:
  PackageManifestFactory() = default;
  PackageManifestFactory(const PackageManifestFactory&) = delete;
  PackageManifestFactory& operator=(const PackageManifestFactory&) = delete;
  virtual ~PackageManifestFactory() = default;

  virtual std::shared_ptr<ManifestSource> CreateSource(const std::string& locator) = 0;
  // Reads a fresh package from the source; ManifestLocatorException when it is not the package
  // the locator names.
  virtual std::shared_ptr<PackageManifest> Load(ManifestSource& source, const std::string& locator);
  // CreateSource, then Load.
  virtual std::shared_ptr<PackageManifest> Get(const std::string& locator);
  virtual bool Matches(const PackageManifest& manifest, const std::string& locator) const = 0;
};

}  // namespace kiv
