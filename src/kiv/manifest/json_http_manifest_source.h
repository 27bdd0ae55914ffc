// An HTTP manifest source whose text is JSON (the geolocation).
#pragma once

#include "kiv/manifest/http_manifest_source.h"

namespace kiv {

class JsonHttpManifestSource : public HttpManifestSource {
 public:
  using HttpManifestSource::HttpManifestSource;

  // Raises ManifestParseException for malformed or too deeply nested JSON.
  void Parse(std::istream& input, boost::property_tree::ptree& tree) override;
};

}  // namespace kiv
