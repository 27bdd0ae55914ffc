// The common part of every work: observers, parent, workflow, path and the completion notice.
#include "kiv/work/work.h"

#include <boost/property_tree/ptree.hpp>

#include "kiv/work/composite_work.h"
#include "kiv/work/work_complete_callback.h"
#include "kiv/work/work_status.h"
#include "kiv/work/workflow.h"

namespace kiv {

Work::Work(WorkCompleteCallback* callback) { AddCompleteCallback(callback); }

void Work::Describe(boost::property_tree::ptree&) const {}

bool Work::CanRetry() { return false; }

void Work::DescribeWithStatus(const WorkStatus& status, boost::property_tree::ptree& tree) const {
  Describe(tree);
  boost::property_tree::ptree child;
  status.Describe(child);
  tree.put_child("workStatus", child);
}

void Work::SetParent(const std::shared_ptr<CompositeWork>& parent) { parent_ = parent; }

void Work::SetWorkflow(const std::shared_ptr<WorkCompleteCallback>& workflow) {
  workflow_ = workflow;
  workflowInterface_ = std::dynamic_pointer_cast<Workflow>(workflow);
  OnWorkflowSet(workflow);
}

void Work::AddCompleteCallback(WorkCompleteCallback* callback) {
  if (callback != nullptr) callbacks_.push_back(callback);
}

void Work::SetPath(const WorkPath& parentPath, uint32_t index) {
  path_.reserve(parentPath.size() + 1);
  path_.assign(parentPath.begin(), parentPath.end());
  path_.push_back(index);
}

void Work::NotifyComplete(const WorkStatus& status) {
  const std::shared_ptr<Work> self = SharedFromThis();
  if (auto workflow = workflow_.lock()) workflow->OnWorkComplete(self, status);
  for (WorkCompleteCallback* callback : callbacks_) callback->OnWorkComplete(self, status);
  if (auto parent = parent_.lock()) {
    static_cast<WorkCompleteCallback&>(*parent).OnWorkComplete(self, status);
  }
}

}  // namespace kiv
