// Loading a node-list document and applying the weight rule.
#include "kiv/manifest/standard_node_list_manifest.h"

#include <algorithm>
#include <boost/property_tree/ptree.hpp>

#include "kiv/manifest/manifest_exceptions.h"
#include "kiv/manifest/standard_node_manifest.h"

namespace kiv {

void StandardNodeListManifest::Load(const boost::property_tree::ptree& tree) {
  nodes_.clear();
  const auto root = tree.find("ArrayOfNodeInfo");
  if (root == tree.not_found()) throw ManifestParseException("node list: missing ArrayOfNodeInfo");
  for (const auto& [key, child] : root->second) {
    if (key != "NodeInfo") continue;
    auto node = std::make_shared<StandardNodeManifest>();
    node->Load(child);
    nodes_.push_back(std::move(node));
  }
  if (nodes_.empty()) throw ManifestParseException("node list: no NodeInfo");

  // Summed in 64 bits: weights whose 32-bit sum would wrap to 0 are still not all zero.
  uint64_t total = 0;
  for (const auto& node : nodes_) total += node->GetWeight();
  if (total != 0) {
    nodes_.erase(std::remove_if(nodes_.begin(), nodes_.end(),
                                [](const auto& node) { return node->GetWeight() == 0; }),
                 nodes_.end());
  } else {
    for (const auto& node : nodes_) node->SetDefaultWeight();
  }
}

}  // namespace kiv
