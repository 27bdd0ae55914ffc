// Anything that can be filled from a property tree: every manifest kind derives from this.
#pragma once

#include <boost/property_tree/ptree_fwd.hpp>

namespace kiv {

class InputManifest {
 public:
  virtual ~InputManifest() = default;

  // Fills the object from the tree. Called once on a fresh object; after a throw the object
  // is unusable and must be discarded.
  virtual void Load(const boost::property_tree::ptree& tree) = 0;
};

}  // namespace kiv
