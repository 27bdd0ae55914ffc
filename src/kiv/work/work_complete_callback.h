// Observer of a work's completion (composites, the workflow, the work log, transfers).
#pragma once

#include <memory>

namespace kiv {

class Work;
struct WorkStatus;

class WorkCompleteCallback {
 public:
  virtual ~WorkCompleteCallback() = default;

  // Called on the thread that completed the work; implementations guard their own state.
  virtual void OnWorkComplete(const std::shared_ptr<Work>& work, const WorkStatus& status) = 0;
};

}  // namespace kiv
