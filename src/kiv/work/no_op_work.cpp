// The stand-in work for a missing child.
#include "kiv/work/no_op_work.h"

#include <boost/property_tree/ptree.hpp>

namespace kiv {

void NoOpWork::Describe(boost::property_tree::ptree& tree) const { tree.put("name", "NoOpWork"); }

}  // namespace kiv
