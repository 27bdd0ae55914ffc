// The country rule of a package version.
#pragma once

#include <cstdint>

namespace kiv {

enum class GeofencePolicy : uint8_t {
  Unset = 0,  // only while loading
  None = 1,
  Whitelist = 2,
  Blacklist = 3,
};

}  // namespace kiv
