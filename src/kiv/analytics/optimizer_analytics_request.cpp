// The per-node metrics of an optimizer report.
#include "kiv/analytics/optimizer_analytics_request.h"

#include "kiv/analytics/tree_text.h"

namespace kiv {

using namespace analytics_detail;

OptimizerAnalyticsRequest::OptimizerAnalyticsRequest(std::string partnerId, std::string packageId,
                                                     std::string versionId,
                                                     const NodeStatisticsDeltas& deltas,
                                                     std::string host)
    : EventAnalyticsRequest(std::move(partnerId), std::move(packageId), std::move(versionId)),
      deltas_(deltas),
      host_(std::move(host)) {}

void OptimizerAnalyticsRequest::SaveMetrics(boost::property_tree::ptree& metrics) const {
  PutNumber(metrics, "bytes", deltas_.bytes);
  PutNumber(metrics, "successBytes", deltas_.successBytes);
  PutSeconds(metrics, "firstByteTime", deltas_.firstByteTime);
  PutSeconds(metrics, "requestTime", deltas_.requestTime);
  PutSeconds(metrics, "successTime", deltas_.successTime);
  PutNumber(metrics, "numRequests", deltas_.numRequests);
  PutNumber(metrics, "numErrors", deltas_.numErrors);
  PutNumber(metrics, "numConnectFailures", deltas_.numConnectFailures);
  PutNumber(metrics, "numHttpServerErrors", deltas_.numHttpServerErrors);
  PutNumber(metrics, "numConnectionsReset", deltas_.numConnectionsReset);
  PutNumber(metrics, "numDataMismatches", deltas_.numDataMismatches);
  PutNumber(metrics, "numRequestTimeouts", deltas_.numRequestTimeouts);
}

void OptimizerAnalyticsRequest::SaveDimensions(boost::property_tree::ptree& dimensions) const {
  PutText(dimensions, "cdn", host_);
}

}  // namespace kiv
