// The session-taking read of HTTP node-list factories.
#include "kiv/manifest/http_node_list_manifest_factory.h"

#include "kiv/manifest/manifest_source.h"
#include "kiv/manifest/node_list_manifest.h"

namespace kiv {

std::shared_ptr<NodeListManifest> HttpNodeListManifestFactory::Get(
    const std::string& locator, std::shared_ptr<http::Session> session) {
  const auto source = CreateSource(locator, std::move(session));
  return Load(*source, locator);
}

}  // namespace kiv
