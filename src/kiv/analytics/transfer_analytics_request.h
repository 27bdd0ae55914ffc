// The record posted to the analytics transfers endpoint: how many bytes a transfer moved, for
// how long, and in which state it was reported.
#pragma once

#include <cstdint>
#include <string>

#include "kiv/manifest/output_manifest.h"

namespace kiv {

class TransferAnalyticsRequest : public OutputManifest {
 public:
  // state is the transfer state's number (6 suspended, 7 completed, 8 canceled, else active);
  // durationMs is active transfer time in milliseconds.
  TransferAnalyticsRequest(std::string partnerId, std::string packageId, std::string versionId,
                           std::string transferId, uint8_t state, uint64_t transferBytes,
                           uint64_t durationMs);

  // Writes "pid", "pkgid", "vid", "tid", "status", "transferBytes", "duration" (seconds).
  void Save(boost::property_tree::ptree& tree) const override;

  // "suspended", "completed", "canceled" or "active".
  static const char* StatusText(uint8_t state);

  uint64_t GetTransferBytes() const { return transferBytes_; }
  uint64_t GetDurationMs() const { return durationMs_; }

 private:
  std::string partnerId_;
  std::string packageId_;
  std::string versionId_;
  std::string transferId_;
  uint8_t state_;
  uint64_t transferBytes_;
  uint64_t durationMs_;
};

}  // namespace kiv
