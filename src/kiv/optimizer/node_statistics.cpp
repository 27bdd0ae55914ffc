// Per-node request accounting.
#include "kiv/optimizer/node_statistics.h"

#include <algorithm>
#include <boost/property_tree/ptree.hpp>

#include "kiv/http/request.h"
#include "kiv/optimizer/speed_conversion.h"

namespace kiv {

bool NodeStatistics::IsError(const http::RequestResult& result) {
  return static_cast<uint8_t>(result.state) >= static_cast<uint8_t>(http::State::BadUrl);
}

double NodeStatistics::SampleSpeed(const http::RequestResult& result) {
  if (IsError(result)) return 0.0;
  return static_cast<double>(result.bytesWritten) * 1000.0 /
         static_cast<double>(std::max<uint32_t>(result.requestTimeMs, 1));
}

void NodeStatistics::Record(const http::RequestResult& result) {
  // A request that ended within the first millisecond still took time; counting 1 ms keeps
  // speeds finite.
  const uint32_t requestMs = std::max<uint32_t>(result.requestTimeMs, 1);
  bytes_.Add(result.bytesWritten);
  firstByteTime_.Add(std::max<uint32_t>(result.firstByteTimeMs, 1));
  requestTime_.Add(requestMs);

  if (IsError(result)) {
    numErrors_.Add(1);
    switch (result.state) {
      case http::State::ConnectFailed:
        numConnectFailures_.Add(1);
        break;
      case http::State::HttpServerError:
        numHttpServerErrors_.Add(1);
        break;
      case http::State::ConnectionReset:
        numConnectionsReset_.Add(1);
        break;
      case http::State::DataMismatch:
        numDataMismatches_.Add(1);
        break;
      case http::State::Timeout:
        numRequestTimeouts_.Add(1);
        break;
      default:
        break;
    }
  } else {
    successes_.Add(1);
    successBytes_.Add(result.bytesWritten);
    successTime_.Add(requestMs);
  }
}

NodeStatisticsDeltas NodeStatistics::TakeDeltas() {
  NodeStatisticsDeltas deltas;
  deltas.bytes = bytes_.TakeDelta();
  deltas.successBytes = successBytes_.TakeDelta();
  deltas.firstByteTime = firstByteTime_.TakeDelta();
  deltas.requestTime = requestTime_.TakeDelta();
  deltas.successTime = successTime_.TakeDelta();
  const uint32_t successes = successes_.TakeDelta();
  deltas.numErrors = numErrors_.TakeDelta();
  deltas.numRequests = successes + deltas.numErrors;
  deltas.numConnectFailures = numConnectFailures_.TakeDelta();
  deltas.numHttpServerErrors = numHttpServerErrors_.TakeDelta();
  deltas.numConnectionsReset = numConnectionsReset_.TakeDelta();
  deltas.numDataMismatches = numDataMismatches_.TakeDelta();
  deltas.numRequestTimeouts = numRequestTimeouts_.TakeDelta();
  return deltas;
}

void NodeStatistics::Save(boost::property_tree::ptree& tree) const {
  // Summed in 64 bits so that two full 32-bit counters cannot wrap to a small total.
  const uint64_t requests = uint64_t{successes_.Get()} + numErrors_.Get();
  tree.put("Requests", requests);
  tree.put("Errors", numErrors_.Get());
  tree.put("Bytes", bytes_.Get());
  const uint32_t successMs = successTime_.Get();
  const double speed =
      successMs == 0 ? 0.0 : static_cast<double>(successBytes_.Get()) * 1000.0 / successMs;
  tree.put("Average Request Speed", SpeedToUnsigned(speed));
}

}  // namespace kiv
