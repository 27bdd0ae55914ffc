// What a node's request counters grew by since the previous report (the analytics record).
#pragma once

#include <cstdint>

namespace kiv {

struct NodeStatisticsDeltas {
  uint64_t bytes = 0;
  uint64_t successBytes = 0;
  // Milliseconds.
  uint32_t firstByteTime = 0;
  uint32_t requestTime = 0;
  uint32_t successTime = 0;
  // Successes plus errors.
  uint32_t numRequests = 0;
  uint32_t numErrors = 0;
  uint32_t numConnectFailures = 0;
  uint32_t numHttpServerErrors = 0;
  uint32_t numConnectionsReset = 0;
  uint32_t numDataMismatches = 0;
  uint32_t numRequestTimeouts = 0;
};

}  // namespace kiv
