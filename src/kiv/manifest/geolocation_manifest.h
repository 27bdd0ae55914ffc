// Where the client is, as a geolocation service reports it.
#pragma once

#include <string>

#include "kiv/manifest/input_manifest.h"

namespace kiv {

class GeolocationManifest : public InputManifest {
 public:
  virtual std::string GetIp() const = 0;
  // The code the package's country rule is asked about.
  virtual std::string GetCountryCode() const = 0;
  virtual std::string GetCountryName() const = 0;
  virtual std::string GetCountryCode3() const = 0;
  virtual std::string GetContinentCode() const = 0;
  virtual std::string GetIsp() const = 0;
};

}  // namespace kiv
