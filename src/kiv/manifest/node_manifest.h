// One download node of a node list: its host, URL path prefix, relative weight and request
// statistics. Always owned by a shared pointer, so it can hand out pointers to itself.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "kiv/manifest/input_manifest.h"
#include "kiv/manifest/output_manifest.h"

namespace kiv {

class NodeStatistics;

class NodeManifest : public InputManifest,
                     public OutputManifest,
                     public std::enable_shared_from_this<NodeManifest> {
 public:
  virtual std::string GetNodeId() const = 0;
  virtual std::string GetHost() const = 0;
  // Always starts and ends with "/".
  virtual std::string GetPath() const = 0;
  virtual uint32_t GetWeight() const = 0;
  // Sets the weight to 1; only while the node list loads.
  virtual void SetDefaultWeight() = 0;
  virtual std::shared_ptr<NodeStatistics> GetStatistics() const = 0;
  // A new node with the same id, host, path and weight that accounts into the given statistics.
  virtual std::shared_ptr<NodeManifest> Clone(std::shared_ptr<NodeStatistics> statistics) const = 0;
};

}  // namespace kiv
