// Statuses and status details: how they describe themselves for the work log.
#include "kiv/work/work_status.h"

#include <gtest/gtest.h>

#include <boost/property_tree/ptree.hpp>
#include <sstream>
#include <stdexcept>
#include <string>

#include "kiv/work/work_error_data.h"
#include "kiv/work/work_exception_data.h"
#include "work_test_support.h"

// The compact JSON writer alone (the full json_parser header drags in deprecated Bind); its
// error type must come first.
// clang-format off
#include <boost/property_tree/json_parser/error.hpp>
#include <boost/property_tree/json_parser/detail/write.hpp>
// clang-format on

namespace kiv {
namespace {

using boost::property_tree::ptree;

// Compact JSON of a tree, to compare whole descriptions at once.
std::string Json(const ptree& tree) {
  std::ostringstream out;
  boost::property_tree::json_parser::write_json_internal(out, tree, "", false);
  std::string text = out.str();
  if (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

template <class Exception>
std::shared_ptr<WorkExceptionData> Captured(Exception e) {
  try {
    throw e;
  } catch (...) {
    return std::make_shared<WorkExceptionData>(std::current_exception());
  }
}

struct Thrown {};

TEST(WorkStatusTest, DescribesResultRetryAndData) {
  struct Case {
    const char* name;
    WorkStatus status;
    bool retry;
    std::string json;
  };
  const Case kCases[] = {
      {"success without data", WorkStatus(WorkResult::Success), false,
       R"({"result":"0","retry":"false"})"},
      {"default is undecided fatal", WorkStatus(), false, R"({"result":"4","retry":"false"})"},
      {"retrying error", WorkStatus(WorkResult::RetryableError), true,
       R"({"result":"3","retry":"true"})"},
      {"error message", test::Status(WorkResult::FatalError, "disk full"), false,
       R"({"result":"4","retry":"false","data":{"errorMessage":"disk full"}})"},
      {"standard exception", WorkStatus(WorkResult::FatalError, Captured(std::runtime_error("x"))),
       false,
       R"({"result":"4","retry":"false","data":{"exception":"std::runtime_error","what":"x"}})"},
      {"other exception", WorkStatus(WorkResult::FatalError, Captured(Thrown{})), false,
       R"({"result":"4","retry":"false","data":{"exception":"Unknown exception type"}})"},
      {"empty exception pointer",
       WorkStatus(WorkResult::FatalError, std::make_shared<WorkExceptionData>(nullptr)), false,
       R"({"result":"4","retry":"false","data":{"exception":"std::logic_error",)"
       R"("what":"WorkExceptionData::Rethrow called with no exception_ptr"}})"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    WorkStatus status = c.status;
    status.retry = c.retry;
    ptree tree;
    status.Describe(tree);
    EXPECT_EQ(Json(tree), c.json);
  }
}

TEST(WorkStatusTest, CopiesShareTheirData) {
  WorkStatus original = test::Status(WorkResult::Failure, "bad chunk");
  original.retry = true;
  const WorkStatus copy = original;
  EXPECT_EQ(copy.result, WorkResult::Failure);
  EXPECT_TRUE(copy.retry);
  EXPECT_EQ(copy.data.get(), original.data.get());
  EXPECT_FALSE(WorkStatus(WorkResult::Success).retry);
}

TEST(WorkStatusTest, DataSummariesAndRethrow) {
  EXPECT_EQ(WorkErrorData("checksum mismatch").ToString(), "checksum mismatch");
  EXPECT_EQ(Captured(std::out_of_range("r"))->ToString(), "std::out_of_range");
  EXPECT_EQ(Captured(42)->ToString(), "Unknown exception type");
  EXPECT_THROW(Captured(std::out_of_range("r"))->Rethrow(), std::out_of_range);
  try {
    WorkExceptionData(nullptr).Rethrow();
    ADD_FAILURE() << "Rethrow returned";
  } catch (const std::logic_error& e) {
    EXPECT_STREQ(e.what(), "WorkExceptionData::Rethrow called with no exception_ptr");
  }
}

// Data that combines two kinds still contains one WorkStatusData and is reachable as either.
struct CodeData : public virtual WorkStatusData {
  void Describe(ptree& tree) const override { tree.put("code", "7"); }
};
struct CodedErrorData : public CodeData, public WorkErrorData {
  CodedErrorData() : WorkErrorData("coded") {}
  void Describe(ptree& tree) const override {
    CodeData::Describe(tree);
    WorkErrorData::Describe(tree);
  }
  std::string ToString() const override { return WorkErrorData::ToString(); }
};

TEST(WorkStatusTest, CombinedDataHasOneBase) {
  std::shared_ptr<WorkStatusData> data = std::make_shared<CodedErrorData>();
  ASSERT_NE(std::dynamic_pointer_cast<WorkErrorData>(data), nullptr);
  ASSERT_NE(std::dynamic_pointer_cast<CodeData>(data), nullptr);
  ptree tree;
  WorkStatus(WorkResult::RetryableError, data).Describe(tree);
  EXPECT_EQ(Json(tree),
            R"({"result":"3","retry":"false","data":{"code":"7","errorMessage":"coded"}})");
}

}  // namespace
}  // namespace kiv
