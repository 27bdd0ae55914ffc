// The base of every detail that a work status may carry. Derived classes inherit it virtually so
// that one detail may combine two kinds (an error text and a transfer error) and still hold one
// WorkStatusData.
#pragma once

#include <string>

#include "kiv/work/work_descriptor.h"

namespace kiv {

class WorkStatusData : public WorkDescriptor {
 public:
  // A one-line summary; empty unless a detail has something to say.
  virtual std::string ToString() const;
};

}  // namespace kiv
