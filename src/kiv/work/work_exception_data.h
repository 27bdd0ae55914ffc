// A status detail that carries an exception captured at a work boundary.
#pragma once

#include <exception>
#include <string>

#include "kiv/work/work_status_data.h"

namespace kiv {

class WorkExceptionData : public virtual WorkStatusData {
 public:
  // Usually std::current_exception() inside a catch block; may be empty.
  explicit WorkExceptionData(std::exception_ptr exception);

  // Throws the captured exception again; std::logic_error when there is none.
  [[noreturn]] void Rethrow() const;

  // Writes "exception" (the class name) and "what" for standard exceptions, and
  // "exception" = "Unknown exception type" for anything else.
  void Describe(boost::property_tree::ptree& tree) const override;
  // The exception's class name, or "Unknown exception type".
  std::string ToString() const override;

  const std::exception_ptr& GetException() const { return exception_; }

 private:
  std::exception_ptr exception_;
};

}  // namespace kiv
