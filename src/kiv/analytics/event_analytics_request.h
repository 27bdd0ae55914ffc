// The common shape of every record posted to the analytics events endpoint: the package's
// identifiers, then "metrics" and "dimensions" objects filled by the kind of event.
#pragma once

#include <string>

#include "kiv/manifest/output_manifest.h"

namespace kiv {

class EventAnalyticsRequest : public OutputManifest {
 public:
  EventAnalyticsRequest(std::string partnerId, std::string packageId, std::string versionId);

  // Writes "pid", "pkgid", "vid", "metrics", "dimensions"; a metrics or dimensions object that
  // the subclass leaves empty is written as {}.
  void Save(boost::property_tree::ptree& tree) const override;

 protected:
  virtual void SaveMetrics(boost::property_tree::ptree& metrics) const = 0;
  virtual void SaveDimensions(boost::property_tree::ptree& dimensions) const = 0;

 private:
  std::string partnerId_;
  std::string packageId_;
  std::string versionId_;
};

}  // namespace kiv
