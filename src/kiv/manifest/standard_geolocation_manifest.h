// The geolocation read from the service's JSON object.
#pragma once

#include "kiv/manifest/geolocation_manifest.h"

namespace kiv {

class StandardGeolocationManifest : public GeolocationManifest {
 public:
  // Throws ManifestParseException when ip or country_code is missing or empty.
  void Load(const boost::property_tree::ptree& tree) override;

  std::string GetIp() const override { return ip_; }
  std::string GetCountryCode() const override { return countryCode_; }
  std::string GetCountryName() const override { return countryName_; }
  std::string GetCountryCode3() const override { return countryCode3_; }
  std::string GetContinentCode() const override { return continentCode_; }
  std::string GetIsp() const override { return isp_; }

 private:
  std::string ip_;
  std::string countryCode_;
  std::string countryName_;
  std::string countryCode3_;
  std::string continentCode_;
  std::string isp_;
};

}  // namespace kiv
