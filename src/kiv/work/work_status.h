// The status a work reports when it completes: its result, whether it is about to repeat, and
// optional details. A copyable value; copies share the details.
#pragma once

#include <memory>

#include "kiv/work/work_descriptor.h"
#include "kiv/work/work_result.h"
#include "kiv/work/work_status_data.h"

namespace kiv {

struct WorkStatus : public WorkDescriptor {
  // The default is the undecided status: FatalError without data.
  WorkStatus() = default;
  explicit WorkStatus(WorkResult result, std::shared_ptr<WorkStatusData> data = nullptr)
      : result(result), data(std::move(data)) {}

  // Writes "result" (decimal), "retry" ("true"/"false") and, with data, the child "data".
  void Describe(boost::property_tree::ptree& tree) const override;

  WorkResult result = WorkResult::FatalError;
  // True only in the status handed to retry observers while a work repeats.
  bool retry = false;
  std::shared_ptr<WorkStatusData> data;
};

}  // namespace kiv
