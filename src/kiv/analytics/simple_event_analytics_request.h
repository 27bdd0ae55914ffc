// An events-endpoint record that counts one occurrence of a named metric ("numStarts": "1").
#pragma once

#include <string>

#include "kiv/analytics/event_analytics_request.h"

namespace kiv {

class SimpleEventAnalyticsRequest : public EventAnalyticsRequest {
 public:
  SimpleEventAnalyticsRequest(std::string partnerId, std::string packageId, std::string versionId,
                              std::string metric);

  const std::string& GetMetric() const { return metric_; }

 protected:
  void SaveMetrics(boost::property_tree::ptree& metrics) const override;
  // No dimensions: an empty object.
  void SaveDimensions(boost::property_tree::ptree& dimensions) const override;

 private:
  std::string metric_;
};

}  // namespace kiv
