// One counted metric, no dimensions.
#include "kiv/analytics/simple_event_analytics_request.h"

#include "kiv/analytics/tree_text.h"

namespace kiv {

using namespace analytics_detail;

SimpleEventAnalyticsRequest::SimpleEventAnalyticsRequest(std::string partnerId,
                                                         std::string packageId,
                                                         std::string versionId, std::string metric)
    : EventAnalyticsRequest(std::move(partnerId), std::move(packageId), std::move(versionId)),
      metric_(std::move(metric)) {}

void SimpleEventAnalyticsRequest::SaveMetrics(boost::property_tree::ptree& metrics) const {
  PutText(metrics, metric_, "1");
}

void SimpleEventAnalyticsRequest::SaveDimensions(boost::property_tree::ptree&) const {}

}  // namespace kiv
