// An HTTP manifest source whose text is XML (package manifests, node lists).
#pragma once

#include "kiv/manifest/http_manifest_source.h"

namespace kiv {

class XmlHttpManifestSource : public HttpManifestSource {
 public:
  using HttpManifestSource::HttpManifestSource;

  // Comments kept, attributes also copied as children after the real children. Raises
  // ManifestParseException for malformed or too deeply nested XML.
  void Parse(std::istream& input, boost::property_tree::ptree& tree) override;
};

}  // namespace kiv
