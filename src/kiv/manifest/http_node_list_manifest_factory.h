// Node lists fetched over HTTP from the manifest host.
#pragma once

#include "kiv/manifest/http_manifest_endpoint.h"
#include "kiv/manifest/node_list_manifest_factory.h"

namespace kiv::http {
class Session;
}

namespace kiv {

class HttpNodeListManifestFactory : public NodeListManifestFactory {
 public:
  explicit HttpNodeListManifestFactory(HttpManifestEndpoint endpoint)
      : endpoint_(std::move(endpoint)) {}

  using NodeListManifestFactory::CreateSource;
  using NodeListManifestFactory::Get;

  // CreateSource with the session, then Load.
  virtual std::shared_ptr<NodeListManifest> Get(const std::string& locator,
                                                std::shared_ptr<http::Session> session);
  virtual std::shared_ptr<ManifestSource> CreateSource(const std::string& locator,
                                                       std::shared_ptr<http::Session> session) = 0;
  // Raises ManifestLocatorException when no URL can be composed.
  virtual std::string GetUrl(const std::string& locator) const = 0;

 protected:
  const HttpManifestEndpoint endpoint_;
};

}  // namespace kiv
