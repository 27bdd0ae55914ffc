// An event to report: a simple work that carries flags and a property tree which its creator
// fills before posting it to the event manager that made it.
#pragma once

#include <boost/property_tree/ptree.hpp>
#include <cstdint>

#include "kiv/work/simple_work.h"

namespace kiv {

class TrackEventWork : public SimpleWork {
 public:
  explicit TrackEventWork(int32_t flags) : flags_(flags) {}

  // Event works run on their manager's own pool and have nothing to stop early.
  void Interrupt() override {}

  int32_t GetFlags() const { return flags_; }
  boost::property_tree::ptree& GetParams() { return params_; }
  const boost::property_tree::ptree& GetParams() const { return params_; }

 protected:
  const int32_t flags_;
  boost::property_tree::ptree params_;
};

}  // namespace kiv
