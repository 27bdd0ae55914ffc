// Node statistics: counters by result kind, deltas, the speed distributions and their output
// records, and concurrent recording.
#include "kiv/optimizer/node_statistics.h"

#include <gtest/gtest.h>

#include <atomic>
#include <boost/property_tree/ptree.hpp>
#include <cmath>
#include <thread>
#include <tuple>
#include <vector>

#include "kiv/http/request.h"
#include "kiv/optimizer/exponential_normal_node_statistics.h"
#include "kiv/optimizer/normal_node_statistics.h"

namespace kiv {
namespace {

using http::RequestResult;
using http::State;

RequestResult Result(State state, uint64_t bytes, uint32_t requestMs, uint32_t firstByteMs = 0) {
  RequestResult result(state, bytes);
  result.requestTimeMs = requestMs;
  result.firstByteTimeMs = firstByteMs;
  return result;
}

TEST(NodeStatisticsTest, CountersByResultKind) {
  struct Case {
    State state;
    uint32_t numErrors;
    uint32_t connect, server, reset, mismatch, timeout;
  };
  const Case kCases[] = {
      {State::Success, 0, 0, 0, 0, 0, 0},
      {State::Cancelled, 0, 0, 0, 0, 0, 0},
      {State::Idle, 0, 0, 0, 0, 0, 0},
      {State::BadUrl, 1, 0, 0, 0, 0, 0},
      {State::ResolveFailed, 1, 0, 0, 0, 0, 0},
      {State::ConnectFailed, 1, 1, 0, 0, 0, 0},
      {State::HttpClientError, 1, 0, 0, 0, 0, 0},
      {State::HttpServerError, 1, 0, 1, 0, 0, 0},
      {State::ConnectionReset, 1, 0, 0, 1, 0, 0},
      {State::WriteFailed, 1, 0, 0, 0, 0, 0},
      {State::DataMismatch, 1, 0, 0, 0, 1, 0},
      {State::Timeout, 1, 0, 0, 0, 0, 1},
      {State::OutOfMemory, 1, 0, 0, 0, 0, 0},
      {State::OtherError, 1, 0, 0, 0, 0, 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(http::ToString(c.state));
    NodeStatistics statistics;
    statistics.Record(Result(c.state, 500, 0, 0));
    const auto d = statistics.TakeDeltas();
    const bool success = c.numErrors == 0;
    EXPECT_EQ(d.numRequests, 1u);
    EXPECT_EQ(d.numErrors, c.numErrors);
    EXPECT_EQ(d.bytes, 500u);
    EXPECT_EQ(d.successBytes, success ? 500u : 0u);
    // Zero times count as 1 ms.
    EXPECT_EQ(d.firstByteTime, 1u);
    EXPECT_EQ(d.requestTime, 1u);
    EXPECT_EQ(d.successTime, success ? 1u : 0u);
    EXPECT_EQ(d.numConnectFailures, c.connect);
    EXPECT_EQ(d.numHttpServerErrors, c.server);
    EXPECT_EQ(d.numConnectionsReset, c.reset);
    EXPECT_EQ(d.numDataMismatches, c.mismatch);
    EXPECT_EQ(d.numRequestTimeouts, c.timeout);
    EXPECT_EQ(NodeStatistics::SampleSpeed(Result(c.state, 500, 0)), success ? 500000.0 : 0.0);
  }
}

TEST(NodeStatisticsTest, DeltasRebaseAndSaveShowsTotals) {
  NodeStatistics statistics;
  statistics.Record(Result(State::Success, 1000, 250, 40));
  statistics.Record(Result(State::Success, 3000, 250, 60));
  statistics.Record(Result(State::Timeout, 7, 5000, 0));
  auto d = statistics.TakeDeltas();
  EXPECT_EQ(d.numRequests, 3u);
  EXPECT_EQ(d.numErrors, 1u);
  EXPECT_EQ(d.bytes, 4007u);
  EXPECT_EQ(d.successBytes, 4000u);
  EXPECT_EQ(d.firstByteTime, 101u);
  EXPECT_EQ(d.requestTime, 5500u);
  EXPECT_EQ(d.successTime, 500u);

  d = statistics.TakeDeltas();
  EXPECT_EQ(d.numRequests, 0u);
  EXPECT_EQ(d.bytes, 0u);
  EXPECT_EQ(d.requestTime, 0u);

  statistics.Record(Result(State::ConnectFailed, 0, 10));
  d = statistics.TakeDeltas();
  EXPECT_EQ(d.numRequests, 1u);
  EXPECT_EQ(d.numConnectFailures, 1u);

  // Totals survive the deltas: 4000 bytes in 0.5 s of successful requests.
  boost::property_tree::ptree record;
  statistics.Save(record);
  EXPECT_EQ(record.get<std::string>("Requests"), "4");
  EXPECT_EQ(record.get<std::string>("Errors"), "2");
  EXPECT_EQ(record.get<std::string>("Bytes"), "4007");
  EXPECT_EQ(record.get<std::string>("Average Request Speed"), "8000");
  EXPECT_EQ(record.count("Standard Deviation"), 0u);
}

TEST(NodeStatisticsTest, ExponentialStatisticsFromThePrototype) {
  ExponentialNormalNodeStatistics prototype(0.3);
  prototype.Record(Result(State::Success, 1, 1));  // the prototype's counters are not copied
  ExponentialNormalNodeStatistics fresh(0.3);
  ExponentialNormalNodeStatistics statistics(fresh);
  EXPECT_EQ(statistics.GetAlpha(), 0.3);
  EXPECT_EQ(statistics.GetCount(), 0u);

  const double s = 2000.0;  // 1000 bytes in 500 ms
  statistics.Record(Result(State::Success, 1000, 500));
  auto [mean, variance] = statistics.GetDistribution();
  EXPECT_EQ(statistics.GetCount(), 1u);
  EXPECT_DOUBLE_EQ(mean, 0.3 * s);
  EXPECT_DOUBLE_EQ(variance, 0.21 * s * s);

  // An error is a sample of speed 0 and pulls the mean down by the same rule.
  statistics.Record(Result(State::Timeout, 1000, 500));
  std::tie(mean, variance) = statistics.GetDistribution();
  EXPECT_EQ(statistics.GetCount(), 2u);
  EXPECT_DOUBLE_EQ(mean, 0.7 * 0.3 * s);
  EXPECT_DOUBLE_EQ(variance, 0.7 * (0.21 * s * s + 0.3 * (0.3 * s) * (0.3 * s)));

  // A copy starts with fresh counters but the learnt distribution.
  ExponentialNormalNodeStatistics copy(statistics);
  EXPECT_EQ(copy.GetCount(), 2u);
  EXPECT_EQ(copy.GetDistribution(), statistics.GetDistribution());
  EXPECT_EQ(copy.TakeDeltas().numRequests, 0u);
  EXPECT_EQ(statistics.TakeDeltas().numRequests, 2u);

  boost::property_tree::ptree record;
  statistics.Save(record);
  EXPECT_EQ(record.get<uint64_t>("Average Request Speed"), static_cast<uint64_t>(0.7 * 0.3 * s));
  EXPECT_EQ(record.get<uint64_t>("Standard Deviation"), static_cast<uint64_t>(std::sqrt(variance)));
}

TEST(NodeStatisticsTest, NormalStatisticsWeighErrorsByHistory) {
  NormalNodeStatistics statistics;
  EXPECT_EQ(statistics.GetDistribution(), std::make_pair(0.0, 1.0));
  for (int i = 0; i < 25; ++i) statistics.Record(Result(State::Success, 100, 100));  // 1000 B/s
  auto [mean, variance] = statistics.GetDistribution();
  EXPECT_DOUBLE_EQ(mean, 1000.0);
  EXPECT_DOUBLE_EQ(variance, 0.0);

  // With 25 samples an error enters 25 / 10 + 1 = 3 zero-speed samples.
  statistics.Record(Result(State::ConnectFailed, 0, 100));
  EXPECT_EQ(statistics.GetCount(), 28u);
  std::tie(mean, variance) = statistics.GetDistribution();
  EXPECT_DOUBLE_EQ(mean, 25000.0 / 28);
  // Sum of squared deviations of 25 x 1000 and 3 x 0 over n - 1.
  const double m = 25000.0 / 28;
  EXPECT_NEAR(variance, (25 * (1000 - m) * (1000 - m) + 3 * m * m) / 27, 1e-6);
  EXPECT_EQ(statistics.TakeDeltas().numRequests, 26u);

  boost::property_tree::ptree record;
  statistics.Save(record);
  EXPECT_EQ(record.get<uint64_t>("Average Request Speed"), static_cast<uint64_t>(m));
  EXPECT_EQ(record.get<uint64_t>("Standard Deviation"), static_cast<uint64_t>(std::sqrt(variance)));
}

TEST(NodeStatisticsTest, ConcurrentRecordLosesNoCount) {
  constexpr int kThreads = 8;
  constexpr int kPerThread = 5000;
  ExponentialNormalNodeStatistics statistics(0.3);
  NodeStatisticsDeltas taken;
  std::atomic<bool> done{false};
  // The analytics thread takes deltas while requests are being recorded.
  std::thread reader([&] {
    while (!done.load()) {
      const auto d = statistics.TakeDeltas();
      taken.numRequests += d.numRequests;
      taken.numErrors += d.numErrors;
      taken.bytes += d.bytes;
      taken.requestTime += d.requestTime;
      std::this_thread::yield();
    }
  });
  std::vector<std::thread> writers;
  for (int t = 0; t < kThreads; ++t) {
    writers.emplace_back([&, t] {
      for (int i = 0; i < kPerThread; ++i) {
        statistics.Record(Result(i % 4 == t % 4 ? State::Timeout : State::Success, 3, 2));
      }
    });
  }
  for (auto& w : writers) w.join();
  done = true;
  reader.join();
  const auto rest = statistics.TakeDeltas();
  EXPECT_EQ(taken.numRequests + rest.numRequests, uint32_t{kThreads * kPerThread});
  EXPECT_EQ(taken.numErrors + rest.numErrors, uint32_t{kThreads * kPerThread / 4});
  EXPECT_EQ(taken.bytes + rest.bytes, uint64_t{3} * kThreads * kPerThread);
  EXPECT_EQ(taken.requestTime + rest.requestTime, uint32_t{2} * kThreads * kPerThread);
  EXPECT_EQ(statistics.GetCount(), uint32_t{kThreads * kPerThread});
}

}  // namespace
}  // namespace kiv
