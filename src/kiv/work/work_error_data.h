// A status detail that carries an error message.
#pragma once

#include <string>

#include "kiv/work/work_status_data.h"

namespace kiv {

class WorkErrorData : public virtual WorkStatusData {
 public:
  explicit WorkErrorData(std::string errorMessage);

  // Writes "errorMessage".
  void Describe(boost::property_tree::ptree& tree) const override;
  std::string ToString() const override;

  const std::string& GetErrorMessage() const { return errorMessage_; }

 private:
  std::string errorMessage_;
};

}  // namespace kiv
