// One node's request statistics since the previous report, posted with the node's host as the
// "cdn" dimension.
#pragma once

#include <string>

#include "kiv/analytics/event_analytics_request.h"
#include "kiv/optimizer/node_statistics_deltas.h"

namespace kiv {

class OptimizerAnalyticsRequest : public EventAnalyticsRequest {
 public:
  OptimizerAnalyticsRequest(std::string partnerId, std::string packageId, std::string versionId,
                            const NodeStatisticsDeltas& deltas, std::string host);

 protected:
  // The twelve counters; the three times in seconds.
  void SaveMetrics(boost::property_tree::ptree& metrics) const override;
  void SaveDimensions(boost::property_tree::ptree& dimensions) const override;

 private:
  NodeStatisticsDeltas deltas_;
  std::string host_;
};

}  // namespace kiv
