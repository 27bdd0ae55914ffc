// A simple work that succeeds at once; stands in for a child that is missing.
#pragma once

#include "kiv/work/simple_work.h"

namespace kiv {

class NoOpWork : public SimpleWork {
 public:
  using SimpleWork::SimpleWork;

  // Writes "name" = "NoOpWork".
  void Describe(boost::property_tree::ptree& tree) const override;
  WorkStatus ExecuteTask() override { return WorkStatus(WorkResult::Success); }
  void Interrupt() override {}
};

}  // namespace kiv
