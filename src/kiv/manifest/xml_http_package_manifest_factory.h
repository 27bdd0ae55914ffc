// Package manifests as XML at "/manifests/<package>/current.xml" or
// "/manifests/<package>/<version>.xml" on the manifest host.
#pragma once

#include "kiv/manifest/http_package_manifest_factory.h"

namespace kiv {

class XmlHttpPackageManifestFactory : public HttpPackageManifestFactory {
 public:
  using HttpPackageManifestFactory::HttpPackageManifestFactory;

  std::shared_ptr<ManifestSource> CreateSource(const std::string& locator) override;
  std::shared_ptr<ManifestSource> CreateSource(const std::string& locator,
                                               std::shared_ptr<http::Session> session) override;
  std::string GetUrl(const std::string& locator) const override;
};

}  // namespace kiv
