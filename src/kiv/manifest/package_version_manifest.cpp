// Loading the version element of a package document.
#include "kiv/manifest/package_version_manifest.h"

#include <boost/property_tree/ptree.hpp>

#include "kiv/manifest/manifest_exceptions.h"
#include "kiv/manifest/tree_values.h"

namespace kiv {

void PackageVersionManifest::Load(const boost::property_tree::ptree& tree) {
  id_ = manifest_detail::RequiredText(tree, "id", "version");
  run_ = manifest_detail::OptionalText(tree, "run", "");

  const std::string policy = manifest_detail::OptionalText(tree, "policy", "");
  if (policy.empty()) {
    policy_ = GeofencePolicy::Unset;
  } else if (policy == "None") {
    policy_ = GeofencePolicy::None;
  } else if (policy == "Whitelist") {
    policy_ = GeofencePolicy::Whitelist;
  } else if (policy == "Blacklist") {
    policy_ = GeofencePolicy::Blacklist;
  } else {
    throw ManifestParseException("version: unknown policy " + policy);
  }

  countryCodes_.clear();
  const auto codes = tree.find("countryCodes");
  if (codes != tree.not_found()) {
    for (const auto& [key, child] : codes->second) {
      if (key != "countryCode")
        throw ManifestParseException("version: unexpected " + key + " in countryCodes");
      countryCodes_.push_back(child.data());
    }
  }

  if (id_.empty()) throw ManifestParseException("version: empty id");
  if (!countryCodes_.empty() && policy_ == GeofencePolicy::Unset) {
    throw ManifestParseException("version: country codes without a policy");
  }
  for (const auto& code : countryCodes_) {
    if (code.size() != 2)
      throw ManifestParseException("version: country code " + code + " is not two characters");
  }
  if (policy_ == GeofencePolicy::Unset) policy_ = GeofencePolicy::None;
}

}  // namespace kiv
