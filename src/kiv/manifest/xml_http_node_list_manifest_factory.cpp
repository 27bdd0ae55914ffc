// Where node lists live and how they are read.
#include "kiv/manifest/xml_http_node_list_manifest_factory.h"

#include "kiv/manifest/xml_http_manifest_source.h"

namespace kiv {

std::shared_ptr<ManifestSource> XmlHttpNodeListManifestFactory::CreateSource(
    const std::string& locator) {
  return CreateSource(locator, nullptr);
}

std::shared_ptr<ManifestSource> XmlHttpNodeListManifestFactory::CreateSource(
    const std::string& locator, std::shared_ptr<http::Session> session) {
  return std::make_shared<XmlHttpManifestSource>(GetUrl(locator), endpoint_.requestFactory,
                                                 std::move(session), endpoint_.connectTimeout,
                                                 endpoint_.timeout, endpoint_.maxBytes);
}

std::string XmlHttpNodeListManifestFactory::GetUrl(const std::string& locator) const {
  return ComposeManifestUrl(endpoint_.address, "/nodes/" + locator + ".xml");
}

}  // namespace kiv
