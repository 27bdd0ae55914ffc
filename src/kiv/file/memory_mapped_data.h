// A mapped view of one chunk of a file: the download writes received bytes straight into it and
// the verification checksums it in place. Positions are absolute file positions in [first, last].
#pragma once

#include <cstdint>
#include <functional>

#include "kiv/file/bounded_data.h"

namespace kiv::file {

class MemoryMappedData : public BoundedData {
 public:
  // Called with the view's bytes and their count; its answer is Visit's answer.
  using Visitor = std::function<uint64_t(uint8_t* data, uint32_t length)>;

  using BoundedData::BoundedData;

  // The bytes at the current position, which then moves by count; null for count 0.
  // Bytes touched through this pointer (or Data's) are not guarded against I/O errors under the
  // view; Read, Write, Visit and Fetch are, and turn them into InvalidMapException.
  virtual uint8_t* Advance(uint32_t count) = 0;
  // The byte at position first.
  virtual uint8_t* Data() = 0;
  // Runs visitor over the whole view. If a page of the view cannot be read (the file was
  // truncated, the device failed), the lost bytes read as zero, visitor runs to its end and
  // Visit throws InvalidMapException instead of answering.
  virtual uint64_t Visit(const Visitor& visitor) = 0;
  // Pages the whole view into memory (before it is verified or written).
  virtual void Fetch() = 0;
};

}  // namespace kiv::file
