// Makes node lists from locators (the partner id).
#pragma once

#include <memory>
#include <string>

namespace kiv {

class ManifestSource;
class NodeListManifest;

class NodeListManifestFactory {
 public:
  NodeListManifestFactory() = default;
  NodeListManifestFactory(const NodeListManifestFactory&) = delete;
  NodeListManifestFactory& operator=(const NodeListManifestFactory&) = delete;
  virtual ~NodeListManifestFactory() = default;

  virtual std::shared_ptr<ManifestSource> CreateSource(const std::string& locator) = 0;
  // Reads a fresh node list from the source.
  virtual std::shared_ptr<NodeListManifest> Load(ManifestSource& source,
                                                 const std::string& locator);
  // CreateSource, then Load.
  virtual std::shared_ptr<NodeListManifest> Get(const std::string& locator);
};

}  // namespace kiv
