// What the two set-up works share: describing the reported work and posting its event.
#pragma once

#include <boost/property_tree/ptree_fwd.hpp>
#include <cstdint>

namespace kiv {

class Work;
class WorkLogManager;
struct WorkStatus;

namespace log_detail {

// Whether the description has "important" reading as true (missing or unreadable: false).
bool IsImportant(const boost::property_tree::ptree& description);

// Describes work with status; flagsFor maps importance to the event's flags; posts an event
// {"event": eventName, "params": description} at the manager.
void PostWorkEvent(WorkLogManager& manager, const Work& work, const WorkStatus& status,
                   const char* eventName, int32_t (*flagsFor)(bool important, const WorkStatus&));

}  // namespace log_detail
}  // namespace kiv
