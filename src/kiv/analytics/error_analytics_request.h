// A counted error event that also carries the error's one-line text as its "error" dimension.
#pragma once

#include <string>

#include "kiv/analytics/simple_event_analytics_request.h"

namespace kiv {

class ErrorAnalyticsRequest : public SimpleEventAnalyticsRequest {
 public:
  // errorText is the summary text of the error's status data; empty gives no dimension.
  ErrorAnalyticsRequest(std::string partnerId, std::string packageId, std::string versionId,
                        std::string metric, std::string errorText);

 protected:
  void SaveDimensions(boost::property_tree::ptree& dimensions) const override;

 private:
  std::string errorText_;
};

}  // namespace kiv
