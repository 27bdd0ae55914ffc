// Fuzzes the node-list load path: XML text to tree to nodes, and each node's output record.
#include <boost/property_tree/ptree.hpp>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "kiv/manifest/manifest_exceptions.h"
#include "kiv/manifest/manifest_text_parser.h"
#include "kiv/manifest/standard_node_list_manifest.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::istringstream input(std::string(reinterpret_cast<const char*>(data), size));
  try {
    boost::property_tree::ptree tree;
    kiv::ParseXmlManifest(input, tree);
    kiv::StandardNodeListManifest list;
    list.Load(tree);
    if (list.GetNodes().empty()) __builtin_trap();
    for (const auto& node : list.GetNodes()) {
      const std::string path = node->GetPath();
      if (node->GetWeight() == 0 || node->GetHost().empty() || path.empty() ||
          path.front() != '/' || path.back() != '/') {
        __builtin_trap();
      }
      boost::property_tree::ptree record;
      node->Save(record);
    }
  } catch (const kiv::ManifestException&) {
  }
  return 0;
}
