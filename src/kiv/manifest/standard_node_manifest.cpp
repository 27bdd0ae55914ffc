// Loading and saving one download node.
#include "kiv/manifest/standard_node_manifest.h"

#include <boost/property_tree/ptree.hpp>
#include <limits>
#include <new>

#include "kiv/manifest/manifest_exceptions.h"
#include "kiv/manifest/tree_values.h"
#include "kiv/optimizer/node_statistics.h"

namespace kiv {

StandardNodeManifest::StandardNodeManifest() : statistics_(std::make_shared<NodeStatistics>()) {}

StandardNodeManifest::StandardNodeManifest(std::string nodeId, std::string host, std::string path,
                                           uint32_t weight,
                                           std::shared_ptr<NodeStatistics> statistics)
    : nodeId_(std::move(nodeId)),
      host_(std::move(host)),
      path_(std::move(path)),
      weight_(weight),
      statistics_(std::move(statistics)) {}

StandardNodeManifest::~StandardNodeManifest() = default;

std::string StandardNodeManifest::NormalizePath(std::string path) {
  if (path.empty() || path.front() != '/') path.insert(path.begin(), '/');
  if (path.back() != '/') path.push_back('/');
  return path;
}

void StandardNodeManifest::Load(const boost::property_tree::ptree& tree) {
  try {
    nodeId_ = manifest_detail::RequiredText(tree, "NodeId", "node");
    host_ = manifest_detail::RequiredText(tree, "Host", "node");
    path_ = NormalizePath(manifest_detail::OptionalText(tree, "Path", kDefaultPath));
    const auto weight = tree.find("Weight");
    weight_ = 1;
    if (weight != tree.not_found()) {
      weight_ =
          static_cast<uint32_t>(manifest_detail::ParseUnsigned(weight->second.data(),
                                                               std::numeric_limits<uint32_t>::max())
                                    .value_or(1));
    }
  } catch (const ManifestParseException&) {
    throw;
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception& e) {
    throw ManifestParseException(std::string("node: ") + e.what());
  }
  if (nodeId_.empty()) throw ManifestParseException("node: empty NodeId");
  if (host_.empty()) throw ManifestParseException("node: empty Host for " + nodeId_);
}

void StandardNodeManifest::Save(boost::property_tree::ptree& tree) const {
  tree.put("Node", GetHost());
  tree.put("Path", GetPath());
  tree.put("Weight", GetWeight());
  if (statistics_) statistics_->Save(tree);
}

std::shared_ptr<NodeManifest> StandardNodeManifest::Clone(
    std::shared_ptr<NodeStatistics> statistics) const {
  return std::make_shared<StandardNodeManifest>(GetNodeId(), GetHost(), GetPath(), GetWeight(),
                                                std::move(statistics));
}

}  // namespace kiv
