// The node list read from a node-list document (root element "ArrayOfNodeInfo").
#pragma once

#include "kiv/manifest/node_list_manifest.h"

namespace kiv {

class StandardNodeListManifest : public NodeListManifest {
 public:
  // Throws ManifestParseException when the root is missing, a node is invalid or no NodeInfo is
  // present. Nodes of weight 0 are dropped unless every weight is 0; then all weigh 1.
  void Load(const boost::property_tree::ptree& tree) override;

  const NodeManifestList& GetNodes() const override { return nodes_; }

 private:
  NodeManifestList nodes_;
};

}  // namespace kiv
