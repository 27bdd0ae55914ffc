// Describing a reported work and posting its log event. The reported work is read only
// through its description, which is safe while that work may already run again elsewhere.
#include "kiv/log/log_event_setup.h"

#include <boost/property_tree/ptree.hpp>

#include "kiv/analytics/track_event_work.h"
#include "kiv/log/work_log_manager.h"
#include "kiv/work/work.h"
#include "kiv/work/work_status.h"

namespace kiv {
namespace log_detail {

bool IsImportant(const boost::property_tree::ptree& description) {
  const auto found = description.find("important");
  if (found == description.not_found()) return false;
  return found->second.get_value_optional<bool>().value_or(false);
}

void PostWorkEvent(WorkLogManager& manager, const Work& work, const WorkStatus& status,
                   const char* eventName, int32_t (*flagsFor)(bool, const WorkStatus&)) {
  boost::property_tree::ptree description;
  work.DescribeWithStatus(status, description);
  auto event = manager.CreateEvent(flagsFor(IsImportant(description), status));
  auto& params = event->GetParams();
  params.push_back({"event", boost::property_tree::ptree(eventName)});
  params.push_back({"params", std::move(description)});
  manager.PostEvent(std::move(event));
}

}  // namespace log_detail

}  // namespace kiv
