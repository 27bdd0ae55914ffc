// Per-node request accounting: thread-safe delta counters of requests, errors by kind, bytes and
// times, fed by every chunk request and read by analytics and the node's output record.
#pragma once

#include <cstdint>

#include "kiv/manifest/output_manifest.h"
#include "kiv/optimizer/delta_counter.h"
#include "kiv/optimizer/node_statistics_deltas.h"

namespace kiv::http {
struct RequestResult;
}

namespace kiv {

class NodeStatistics : public OutputManifest {
 public:
  NodeStatistics() = default;
  NodeStatistics(const NodeStatistics&) = delete;
  NodeStatistics& operator=(const NodeStatistics&) = delete;

  // Writes "Requests", "Errors", "Bytes" and "Average Request Speed" (bytes per second).
  void Save(boost::property_tree::ptree& tree) const override;

  // Accounts one finished request. Lock-free; safe from many threads at once.
  virtual void Record(const http::RequestResult& result);

  // Each counter's growth since the previous call. Counters are re-based one by one, so the
  // record is not one snapshot across counters.
  NodeStatisticsDeltas TakeDeltas();

  // A result is an error when its state is BadUrl or later (Cancelled counts as a success).
  static bool IsError(const http::RequestResult& result);
  // Bytes per second of a result: 0 for an error, else bytes * 1000 / max(ms, 1).
  static double SampleSpeed(const http::RequestResult& result);

 private:
  DeltaCounter<uint32_t> successes_;
  DeltaCounter<uint32_t> numErrors_;
  DeltaCounter<uint64_t> successBytes_;
  DeltaCounter<uint64_t> bytes_;
  DeltaCounter<uint32_t> firstByteTime_;
  DeltaCounter<uint32_t> requestTime_;
  DeltaCounter<uint32_t> successTime_;
  DeltaCounter<uint32_t> numConnectFailures_;
  DeltaCounter<uint32_t> numHttpServerErrors_;
  DeltaCounter<uint32_t> numConnectionsReset_;
  DeltaCounter<uint32_t> numDataMismatches_;
  DeltaCounter<uint32_t> numRequestTimeouts_;
};

}  // namespace kiv
