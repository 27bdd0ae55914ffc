// Fuzzes the geolocation load path: JSON text to tree to geolocation.
#include <boost/property_tree/ptree.hpp>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "kiv/manifest/manifest_exceptions.h"
#include "kiv/manifest/manifest_text_parser.h"
#include "kiv/manifest/standard_geolocation_manifest.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::istringstream input(std::string(reinterpret_cast<const char*>(data), size));
  try {
    boost::property_tree::ptree tree;
    kiv::ParseJsonManifest(input, tree);
    kiv::StandardGeolocationManifest geolocation;
    geolocation.Load(tree);
    if (geolocation.GetIp().empty() || geolocation.GetCountryCode().empty()) __builtin_trap();
  } catch (const kiv::ManifestException&) {
  }
  return 0;
}
