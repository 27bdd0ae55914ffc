// The generic manifest read path.
#include "kiv/manifest/manifest_source.h"

#include <boost/property_tree/ptree.hpp>
#include <sstream>

#include "kiv/manifest/input_manifest.h"

namespace kiv {

void ManifestSource::Read(const std::string& key, InputManifest& manifest) {
  std::stringstream text;
  Fetch(key, text);
  boost::property_tree::ptree tree;
  Parse(text, tree);
  manifest.Load(tree);
}

}  // namespace kiv
