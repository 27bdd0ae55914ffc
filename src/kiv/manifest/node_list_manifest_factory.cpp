// Loading node lists through a source.
#include "kiv/manifest/node_list_manifest_factory.h"

#include "kiv/manifest/manifest_source.h"
#include "kiv/manifest/standard_node_list_manifest.h"

namespace kiv {

std::shared_ptr<NodeListManifest> NodeListManifestFactory::Load(ManifestSource& source,
                                                                const std::string& locator) {
  auto manifest = std::make_shared<StandardNodeListManifest>();
  source.Read(locator, *manifest);
  return manifest;
}

std::shared_ptr<NodeListManifest> NodeListManifestFactory::Get(const std::string& locator) {
  const auto source = CreateSource(locator);
  return Load(*source, locator);
}

}  // namespace kiv
