// Where package manifests live and how they are read.
#include "kiv/manifest/xml_http_package_manifest_factory.h"

#include "kiv/manifest/xml_http_manifest_source.h"

namespace kiv {

std::shared_ptr<ManifestSource> XmlHttpPackageManifestFactory::CreateSource(
    const std::string& locator) {
  return CreateSource(locator, nullptr);
}

std::shared_ptr<ManifestSource> XmlHttpPackageManifestFactory::CreateSource(
    const std::string& locator, std::shared_ptr<http::Session> session) {
  return std::make_shared<XmlHttpManifestSource>(GetUrl(locator), endpoint_.requestFactory,
                                                 std::move(session), endpoint_.connectTimeout,
                                                 endpoint_.timeout, endpoint_.maxBytes);
}

std::string XmlHttpPackageManifestFactory::GetUrl(const std::string& locator) const {
  // A bare package id means its current version.
  std::string path = "/manifests/" + locator;
  if (locator.find('/') == std::string::npos) path += "/current";
  path += ".xml";
  return ComposeManifestUrl(endpoint_.address, path);
}

}  // namespace kiv
