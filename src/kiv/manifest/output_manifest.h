// Anything that can write itself into a property tree (node records, statistics, analytics
// requests, stored transfer records). A class that is both input and output manifest lists
// InputManifest first.
#pragma once

#include <boost/property_tree/ptree_fwd.hpp>

namespace kiv {

class OutputManifest {
 public:
  virtual ~OutputManifest() = default;

  // Writes this object's members into the given tree, at its root.
  virtual void Save(boost::property_tree::ptree& tree) const = 0;
};

}  // namespace kiv
