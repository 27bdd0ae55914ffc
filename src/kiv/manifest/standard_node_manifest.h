// The node manifest read from a node list's NodeInfo element.
#pragma once

#include "kiv/manifest/node_manifest.h"

namespace kiv {

class StandardNodeManifest : public NodeManifest {
 public:
  // A node with fresh, zeroed statistics, to be loaded.
  StandardNodeManifest();
  StandardNodeManifest(std::string nodeId, std::string host, std::string path, uint32_t weight,
                       std::shared_ptr<NodeStatistics> statistics);
  ~StandardNodeManifest() override;

  // Throws ManifestParseException for a missing or empty NodeId or Host.
  void Load(const boost::property_tree::ptree& tree) override;
  // Writes "Node" (the host), "Path" and "Weight", then the statistics' own members.
  void Save(boost::property_tree::ptree& tree) const override;

  std::string GetNodeId() const override { return nodeId_; }
  std::string GetHost() const override { return host_; }
  std::string GetPath() const override { return path_; }
  uint32_t GetWeight() const override { return weight_; }
  void SetDefaultWeight() override { weight_ = 1; }
  std::shared_ptr<NodeStatistics> GetStatistics() const override { return statistics_; }
  std::shared_ptr<NodeManifest> Clone(std::shared_ptr<NodeStatistics> statistics) const override;

  // A leading and a trailing "/" added where missing ("" gives "/").
  static std::string NormalizePath(std::string path);

  static inline const std::string kDefaultPath = "/packages/";

 private:
  std::string nodeId_;
  std::string host_;
  std::string path_ = kDefaultPath;
  uint32_t weight_ = 1;
  std::shared_ptr<NodeStatistics> statistics_;
};

}  // namespace kiv
