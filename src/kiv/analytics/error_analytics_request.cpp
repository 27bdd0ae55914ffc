// The error dimension of an error event.
#include "kiv/analytics/error_analytics_request.h"

#include "kiv/analytics/tree_text.h"

namespace kiv {

using namespace analytics_detail;

ErrorAnalyticsRequest::ErrorAnalyticsRequest(std::string partnerId, std::string packageId,
                                             std::string versionId, std::string metric,
                                             std::string errorText)
    : SimpleEventAnalyticsRequest(std::move(partnerId), std::move(packageId), std::move(versionId),
                                  std::move(metric)),
      errorText_(std::move(errorText)) {}

void ErrorAnalyticsRequest::SaveDimensions(boost::property_tree::ptree& dimensions) const {
  if (!errorText_.empty()) PutText(dimensions, "error", errorText_);
}

}  // namespace kiv
