// What a build profile compiles into the program: the string table, the engine endpoints and
// support host, and the message catalogs by resource id.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "kiv/engine/engine_settings.h"
#include "kiv/updater/updater_parameters.h"

namespace kiv::updater {

struct BuildProfile {
  std::string name;
  StringTable strings;
  // Named values: "supportHost", "manifestCacheHost", "geolocationUrl",
  // "analyticsTransfersUrl", "analyticsEventsUrl".
  std::map<std::string, std::string> values;
  // Compiled catalogs (.mo bytes) by resource id.
  std::map<int, std::string_view> catalogs;

  // A named value, or the empty string.
  std::string Value(const std::string& key) const;
  // The bytes of a catalog, or empty.
  std::string_view Catalog(int resourceId) const;
  // The engine defaults with this profile's endpoints.
  EngineSettings EngineDefaults() const;
};

// The profile this program was built with (defined by the profile's generated sources).
const BuildProfile& ProgramBuildProfile();

}  // namespace kiv::updater
