// The download nodes that serve a partner's packages.
#pragma once

#include <memory>
#include <vector>

#include "kiv/manifest/input_manifest.h"
#include "kiv/manifest/node_manifest.h"

namespace kiv {

using NodeManifestList = std::vector<std::shared_ptr<NodeManifest>>;

class NodeListManifest : public InputManifest {
 public:
  // The nodes in document order, after the weight filter.
  virtual const NodeManifestList& GetNodes() const = 0;
};

}  // namespace kiv
