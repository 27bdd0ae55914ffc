// Bounded data: an object that exposes the inclusive byte range [first, last] of a file with a
// current position and refuses every access outside it (shared files and mapped chunk views).
#pragma once

#include <cstdint>

namespace kiv::file {

class BoundedData {
 public:
  BoundedData(uint64_t first, uint64_t last) : first(first), last(last) {}
  virtual ~BoundedData() = default;

  virtual uint64_t Tell() = 0;
  virtual void Seek(uint64_t position) = 0;
  virtual uint32_t Read(void* buffer, uint32_t size) = 0;
  virtual uint32_t Write(const void* buffer, uint32_t size) = 0;

  // Throws OutOfBoundsException unless a <= b, first <= a and b <= last.
  void CheckRange(uint64_t a, uint64_t b) const;
  // Throws std::bad_alloc unless a <= b and b - a + 1 lies in [1, 2^32 - 1]: no single read,
  // write, map or view covers 4 GiB or more.
  static void CheckSpan(uint64_t a, uint64_t b);

  const uint64_t first;
  const uint64_t last;
};

}  // namespace kiv::file
