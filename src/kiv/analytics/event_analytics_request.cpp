// Identifiers and the two child objects of every events-endpoint record.
#include "kiv/analytics/event_analytics_request.h"

#include "kiv/analytics/json_form.h"
#include "kiv/analytics/tree_text.h"

namespace kiv {

using namespace analytics_detail;

namespace {

// An empty child would be written as "" rather than an object.
void MarkEmptyObject(boost::property_tree::ptree& child) {
  if (child.empty() && child.data().empty()) child.put_value(kJsonEmptyObject);
}

}  // namespace

EventAnalyticsRequest::EventAnalyticsRequest(std::string partnerId, std::string packageId,
                                             std::string versionId)
    : partnerId_(std::move(partnerId)),
      packageId_(std::move(packageId)),
      versionId_(std::move(versionId)) {}

void EventAnalyticsRequest::Save(boost::property_tree::ptree& tree) const {
  PutText(tree, "pid", partnerId_);
  PutText(tree, "pkgid", packageId_);
  PutText(tree, "vid", versionId_);
  boost::property_tree::ptree metrics;
  SaveMetrics(metrics);
  MarkEmptyObject(metrics);
  PutChild(tree, "metrics", std::move(metrics));
  boost::property_tree::ptree dimensions;
  SaveDimensions(dimensions);
  MarkEmptyObject(dimensions);
  PutChild(tree, "dimensions", std::move(dimensions));
}

}  // namespace kiv
