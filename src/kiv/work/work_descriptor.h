// Anything that can describe itself into a property tree (works, statuses, status details); the
// work log writes these trees out as JSON.
#pragma once

#include <boost/property_tree/ptree_fwd.hpp>

namespace kiv {

class WorkDescriptor {
 public:
  virtual ~WorkDescriptor() = default;

  // Adds this object's properties to the tree.
  virtual void Describe(boost::property_tree::ptree& tree) const = 0;
};

}  // namespace kiv
