// Status values and the status details that every work can report.
#include "kiv/work/work_status.h"

#include <cxxabi.h>

#include <boost/property_tree/ptree.hpp>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <typeinfo>

#include "kiv/work/work_error_data.h"
#include "kiv/work/work_exception_data.h"

namespace kiv {

namespace {

const char kUnknownException[] = "Unknown exception type";

// A readable class name ("std::runtime_error") rather than the mangled one.
std::string ClassName(const std::type_info& type) {
  int result = 0;
  char* demangled = abi::__cxa_demangle(type.name(), nullptr, nullptr, &result);
  std::string name = (result == 0 && demangled != nullptr) ? demangled : type.name();
  std::free(demangled);
  return name;
}

}  // namespace

void WorkStatus::Describe(boost::property_tree::ptree& tree) const {
  tree.put("result", std::to_string(static_cast<unsigned>(result)));
  tree.put("retry", retry ? "true" : "false");
  if (data) {
    boost::property_tree::ptree child;
    data->Describe(child);
    tree.put_child("data", child);
  }
}

std::string WorkStatusData::ToString() const { return std::string(); }

WorkErrorData::WorkErrorData(std::string errorMessage) : errorMessage_(std::move(errorMessage)) {}

void WorkErrorData::Describe(boost::property_tree::ptree& tree) const {
  tree.put("errorMessage", errorMessage_);
}

std::string WorkErrorData::ToString() const { return errorMessage_; }

WorkExceptionData::WorkExceptionData(std::exception_ptr exception)
    : exception_(std::move(exception)) {}

void WorkExceptionData::Rethrow() const {
  if (!exception_) {
    throw std::logic_error("WorkExceptionData::Rethrow called with no exception_ptr");
  }
  std::rethrow_exception(exception_);
}

void WorkExceptionData::Describe(boost::property_tree::ptree& tree) const {
  try {
    Rethrow();
  } catch (const std::exception& e) {
    tree.put("exception", ClassName(typeid(e)));
    tree.put("what", std::string(e.what()));
  } catch (...) {
    tree.put("exception", kUnknownException);
  }
}

std::string WorkExceptionData::ToString() const {
  try {
    Rethrow();
  } catch (const std::exception& e) {
    return ClassName(typeid(e));
  } catch (...) {
    return kUnknownException;
  }
}

}  // namespace kiv
