// Parsing fetched JSON manifests.
#include "kiv/manifest/json_http_manifest_source.h"

#include "kiv/manifest/manifest_text_parser.h"

namespace kiv {

void JsonHttpManifestSource::Parse(std::istream& input, boost::property_tree::ptree& tree) {
  ParseJsonManifest(input, tree);
}

}  // namespace kiv
