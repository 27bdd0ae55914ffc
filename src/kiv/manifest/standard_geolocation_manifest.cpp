// Loading the geolocation object.
#include "kiv/manifest/standard_geolocation_manifest.h"

#include <boost/property_tree/ptree.hpp>

#include "kiv/manifest/manifest_exceptions.h"
#include "kiv/manifest/tree_values.h"

namespace kiv {

void StandardGeolocationManifest::Load(const boost::property_tree::ptree& tree) {
  using manifest_detail::OptionalText;
  using manifest_detail::RequiredText;
  ip_ = RequiredText(tree, "ip", "geolocation");
  countryCode_ = RequiredText(tree, "country_code", "geolocation");
  countryName_ = OptionalText(tree, "country_name", "");
  countryCode3_ = OptionalText(tree, "country_code3", "");
  continentCode_ = OptionalText(tree, "continent_code", "");
  isp_ = OptionalText(tree, "isp", "");
  if (ip_.empty()) throw ManifestParseException("geolocation: empty ip");
  if (countryCode_.empty()) throw ManifestParseException("geolocation: empty country_code");
}

}  // namespace kiv
