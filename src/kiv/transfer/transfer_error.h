// Why a transfer failed or waits for a retry; stored in one byte beside the transfer's state.
#pragma once

#include <cstdint>

namespace kiv {

enum class TransferError : uint8_t {
  None = 0,
  ContentError = 1,
  NetworkError = 2,
  OutOfMemory = 3,
  InsufficientSpace = 4,
  FileAccessError = 5,
  ChecksumMismatch = 6,
  WriteError = 7,
  RequestError = 8,
  InternalError = 9,
  Geofenced = 10,
};

}  // namespace kiv
