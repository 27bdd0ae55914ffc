// Parsing fetched XML manifests.
#include "kiv/manifest/xml_http_manifest_source.h"

#include "kiv/manifest/manifest_text_parser.h"

namespace kiv {

void XmlHttpManifestSource::Parse(std::istream& input, boost::property_tree::ptree& tree) {
  ParseXmlManifest(input, tree);
}

}  // namespace kiv
