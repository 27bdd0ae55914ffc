// The transfers-endpoint record and the text of each reported state.
#include "kiv/analytics/transfer_analytics_request.h"

#include "kiv/analytics/json_form.h"
#include "kiv/analytics/tree_text.h"

namespace kiv {

namespace analytics_detail {

void PutSeconds(boost::property_tree::ptree& tree, const std::string& key, uint64_t milliseconds) {
  PutText(tree, key, DoubleToText(static_cast<double>(milliseconds) / 1000.0));
}

}  // namespace analytics_detail

using namespace analytics_detail;

TransferAnalyticsRequest::TransferAnalyticsRequest(std::string partnerId, std::string packageId,
                                                   std::string versionId, std::string transferId,
                                                   uint8_t state, uint64_t transferBytes,
                                                   uint64_t durationMs)
    : partnerId_(std::move(partnerId)),
      packageId_(std::move(packageId)),
      versionId_(std::move(versionId)),
      transferId_(std::move(transferId)),
      state_(state),
      transferBytes_(transferBytes),
      durationMs_(durationMs) {}

const char* TransferAnalyticsRequest::StatusText(uint8_t state) {
  switch (state) {
    case 6:
      return "suspended";
    case 7:
      return "completed";
    case 8:
      return "canceled";
    default:
      return "active";
  }
}

void TransferAnalyticsRequest::Save(boost::property_tree::ptree& tree) const {
  PutText(tree, "pid", partnerId_);
  PutText(tree, "pkgid", packageId_);
  PutText(tree, "vid", versionId_);
  PutText(tree, "tid", transferId_);
  PutText(tree, "status", StatusText(state_));
  PutNumber(tree, "transferBytes", transferBytes_);
  PutSeconds(tree, "duration", durationMs_);
}

}  // namespace kiv
