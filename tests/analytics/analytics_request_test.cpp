// The analytics records' keys, their order and their text, compared with literal bodies.
#include <gtest/gtest.h>

#include <boost/property_tree/ptree.hpp>
#include <string>
#include <vector>

#include "kiv/analytics/error_analytics_request.h"
#include "kiv/analytics/json_form.h"
#include "kiv/analytics/optimizer_analytics_request.h"
#include "kiv/analytics/simple_event_analytics_request.h"
#include "kiv/analytics/transfer_analytics_request.h"

namespace kiv {
namespace {

using boost::property_tree::ptree;

std::string Body(const OutputManifest& request) {
  ptree tree;
  request.Save(tree);
  return ToJson(tree);
}

TEST(TransferAnalyticsRequestTest, WritesStatusBytesAndSeconds) {
  struct Case {
    const char* name;
    uint8_t state;
    uint64_t bytes;
    uint64_t durationMs;
    const char* status;
    const char* bytesText;
    const char* duration;
  };
  const Case kCases[] = {
      {"suspended", 6, 1048576, 1500, "suspended", "1048576", "1.5"},
      {"completed", 7, 0, 0, "completed", "0", "0"},
      {"canceled", 8, 18446744073709551615ull, 250, "canceled", "18446744073709551615", "0.25"},
      {"transferring is active", 3, 5, 1, "active", "5", "0.001"},
      {"initial state is active", 0, 0, 1000, "active", "0", "1"},
      {"unknown state is active", 200, 0, 86400000, "active", "0", "86400"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const TransferAnalyticsRequest request("partner", "package", "1.2", "0123abcd", c.state,
                                           c.bytes, c.durationMs);
    EXPECT_EQ(Body(request),
              std::string("{\"pid\":\"partner\",\"pkgid\":\"package\",\"vid\":\"1.2\","
                          "\"tid\":\"0123abcd\",\"status\":\"") +
                  c.status + "\",\"transferBytes\":\"" + c.bytesText + "\",\"duration\":\"" +
                  c.duration + "\"}\n");
  }
}

TEST(EventAnalyticsRequestTest, WritesMetricsAndDimensions) {
  NodeStatisticsDeltas deltas;
  deltas.bytes = 5000000000ull;
  deltas.successBytes = 4000000000ull;
  deltas.firstByteTime = 120;
  deltas.requestTime = 1500;
  deltas.successTime = 1000;
  deltas.numRequests = 7;
  deltas.numErrors = 6;
  deltas.numConnectFailures = 1;
  deltas.numHttpServerErrors = 2;
  deltas.numConnectionsReset = 3;
  deltas.numDataMismatches = 4;
  deltas.numRequestTimeouts = 5;

  struct Case {
    const char* name;
    std::unique_ptr<OutputManifest> request;
    std::string expected;
  };
  std::vector<Case> cases;
  cases.push_back({"simple event",
                   std::make_unique<SimpleEventAnalyticsRequest>("p", "k", "v", "numStarts"),
                   "{\"pid\":\"p\",\"pkgid\":\"k\",\"vid\":\"v\",\"metrics\":{\"numStarts\":\"1\"},"
                   "\"dimensions\":{}}\n"});
  cases.push_back({"error with text",
                   std::make_unique<ErrorAnalyticsRequest>("p", "k", "v", "numFatalErrors",
                                                           "error|9|bad \"thing\""),
                   "{\"pid\":\"p\",\"pkgid\":\"k\",\"vid\":\"v\",\"metrics\":{\"numFatalErrors\":"
                   "\"1\"},\"dimensions\":{\"error\":\"error|9|bad \\\"thing\\\"\"}}\n"});
  cases.push_back({"error without text",
                   std::make_unique<ErrorAnalyticsRequest>("p", "k", "v", "numRetryableErrors", ""),
                   "{\"pid\":\"p\",\"pkgid\":\"k\",\"vid\":\"v\",\"metrics\":{"
                   "\"numRetryableErrors\":\"1\"},\"dimensions\":{}}\n"});
  cases.push_back(
      {"optimizer report",
       std::make_unique<OptimizerAnalyticsRequest>("p", "k", "v", deltas, "node1.cdn.example"),
       "{\"pid\":\"p\",\"pkgid\":\"k\",\"vid\":\"v\",\"metrics\":{\"bytes\":\"5000000000\","
       "\"successBytes\":\"4000000000\",\"firstByteTime\":\"0.12\",\"requestTime\":\"1.5\","
       "\"successTime\":\"1\",\"numRequests\":\"7\",\"numErrors\":\"6\","
       "\"numConnectFailures\":\"1\",\"numHttpServerErrors\":\"2\",\"numConnectionsReset\":\"3\","
       "\"numDataMismatches\":\"4\",\"numRequestTimeouts\":\"5\"},"
       "\"dimensions\":{\"cdn\":\"node1.cdn.example\"}}\n"});
  cases.push_back(
      {"optimizer report of an idle node",
       std::make_unique<OptimizerAnalyticsRequest>("p", "k", "v", NodeStatisticsDeltas{}, "n"),
       "{\"pid\":\"p\",\"pkgid\":\"k\",\"vid\":\"v\",\"metrics\":{\"bytes\":\"0\","
       "\"successBytes\":\"0\",\"firstByteTime\":\"0\",\"requestTime\":\"0\","
       "\"successTime\":\"0\",\"numRequests\":\"0\",\"numErrors\":\"0\","
       "\"numConnectFailures\":\"0\",\"numHttpServerErrors\":\"0\",\"numConnectionsReset\":\"0\","
       "\"numDataMismatches\":\"0\",\"numRequestTimeouts\":\"0\"},"
       "\"dimensions\":{\"cdn\":\"n\"}}\n"});
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Body(*c.request), c.expected);
  }
}

// Identifier texts are taken literally: dots do not make nested keys and saving twice into
// one tree keeps one set of keys.
TEST(EventAnalyticsRequestTest, KeysAreLiteralAndSaveIsRepeatable) {
  const SimpleEventAnalyticsRequest request("a.b", "c.d", "1.0.0", "numCompletes");
  ptree tree;
  request.Save(tree);
  request.Save(tree);
  EXPECT_EQ(ToJson(tree),
            "{\"pid\":\"a.b\",\"pkgid\":\"c.d\",\"vid\":\"1.0.0\",\"metrics\":{\"numCompletes\":"
            "\"1\"},\"dimensions\":{}}\n");
}

// An events body for a completion: the counted event, then one report per node, as an array.
TEST(EventAnalyticsRequestTest, CompletionBodyIsAnArray) {
  ptree params;
  ptree first;
  SimpleEventAnalyticsRequest("p", "k", "v", "numCompletes").Save(first);
  params.push_back({"", first});
  NodeStatisticsDeltas deltas;
  deltas.bytes = 10;
  deltas.numRequests = 1;
  ptree node;
  OptimizerAnalyticsRequest("p", "k", "v", deltas, "h").Save(node);
  params.push_back({"", node});
  EXPECT_EQ(ToJson(params),
            "[{\"pid\":\"p\",\"pkgid\":\"k\",\"vid\":\"v\",\"metrics\":{\"numCompletes\":\"1\"},"
            "\"dimensions\":{}},{\"pid\":\"p\",\"pkgid\":\"k\",\"vid\":\"v\",\"metrics\":{"
            "\"bytes\":\"10\",\"successBytes\":\"0\",\"firstByteTime\":\"0\",\"requestTime\":\"0\","
            "\"successTime\":\"0\",\"numRequests\":\"1\",\"numErrors\":\"0\","
            "\"numConnectFailures\":\"0\",\"numHttpServerErrors\":\"0\","
            "\"numConnectionsReset\":\"0\",\"numDataMismatches\":\"0\","
            "\"numRequestTimeouts\":\"0\"},\"dimensions\":{\"cdn\":\"h\"}}]\n");
}

}  // namespace
}  // namespace kiv
