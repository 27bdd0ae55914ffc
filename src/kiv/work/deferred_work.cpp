// A composite whose one child arrives while the tree runs.
#include "kiv/work/deferred_work.h"

#include <boost/property_tree/ptree.hpp>

#include "kiv/work/no_op_work.h"

namespace kiv {

bool DeferredWork::Assign(std::shared_ptr<Work> child) {
  std::shared_ptr<Work> assigned;
  {
    std::lock_guard guard(childLock_);
    if (child_) return false;
    child_ = child ? std::move(child) : std::make_shared<NoOpWork>();
    assigned = child_;
  }
  AttachChild(assigned);
  return true;
}

std::shared_ptr<Work> DeferredWork::GetChild() const {
  std::lock_guard guard(childLock_);
  return child_;
}

void DeferredWork::Describe(boost::property_tree::ptree& tree) const {
  tree.put("name", "DeferredWork");
}

void DeferredWork::Reset() {
  std::lock_guard guard(Mutex());
  CompositeWork::Reset();
  if (auto child = GetChild()) child->Reset();
}

void DeferredWork::OnWorkflowSet(const std::shared_ptr<WorkCompleteCallback>& workflow) {
  if (auto child = GetChild()) AdoptChild(child, workflow);
}

void DeferredWork::QueueAvailableWork(const std::shared_ptr<Workflow>& workflow) {
  Assign(nullptr);
  QueueChild(GetChild(), workflow, 0);
}

bool DeferredWork::IsExpectedChild(const std::shared_ptr<Work>& child) {
  return child && child == GetChild();
}

CompletionRecord DeferredWork::OnChildComplete(const std::shared_ptr<Work>&,
                                               const WorkStatus& status) {
  return CompletionRecord(status);
}

}  // namespace kiv
