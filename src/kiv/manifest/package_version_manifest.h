// The version element of a package document: its id, run path and country rule.
#pragma once

#include <string>
#include <vector>

#include "kiv/manifest/geofence_policy.h"
#include "kiv/manifest/input_manifest.h"

namespace kiv {

class PackageVersionManifest : public InputManifest {
 public:
  // Throws ManifestParseException for a missing id, an unknown policy, a child of countryCodes
  // that is not a countryCode, a code that is not two bytes, or codes without a policy.
  void Load(const boost::property_tree::ptree& tree) override;

  const std::string& GetId() const { return id_; }
  const std::string& GetRun() const { return run_; }
  GeofencePolicy GetPolicy() const { return policy_; }
  const std::vector<std::string>& GetCountryCodes() const { return countryCodes_; }

 private:
  std::string id_;
  std::string run_;
  GeofencePolicy policy_ = GeofencePolicy::Unset;
  std::vector<std::string> countryCodes_;
};

}  // namespace kiv
