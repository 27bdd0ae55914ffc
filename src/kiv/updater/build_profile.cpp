#include "kiv/updater/build_profile.h"

namespace kiv::updater {

std::string BuildProfile::Value(const std::string& key) const {
  const auto it = values.find(key);
  return it == values.end() ? std::string() : it->second;
}

std::string_view BuildProfile::Catalog(int resourceId) const {
  const auto it = catalogs.find(resourceId);
  return it == catalogs.end() ? std::string_view() : it->second;
}

EngineSettings BuildProfile::EngineDefaults() const {
  EngineSettings settings;
  const auto take = [this](const char* key, std::string& field) {
    std::string value = Value(key);
    if (!value.empty()) field = std::move(value);
  };
  take("manifestCacheHost", settings.manifestHost);
  take("geolocationUrl", settings.geolocationUrl);
  take("analyticsTransfersUrl", settings.analyticsTransfersUrl);
  take("analyticsEventsUrl", settings.analyticsEventsUrl);
  return settings;
}

}  // namespace kiv::updater
