// Node lists as XML at "/nodes/<partner>.xml" on the manifest host.
#pragma once

#include "kiv/manifest/http_node_list_manifest_factory.h"

namespace kiv {

class XmlHttpNodeListManifestFactory : public HttpNodeListManifestFactory {
 public:
  using HttpNodeListManifestFactory::HttpNodeListManifestFactory;

  std::shared_ptr<ManifestSource> CreateSource(const std::string& locator) override;
  std::shared_ptr<ManifestSource> CreateSource(const std::string& locator,
                                               std::shared_ptr<http::Session> session) override;
  std::string GetUrl(const std::string& locator) const override;
};

}  // namespace kiv
