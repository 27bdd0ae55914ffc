// Conversion of a speed or deviation (double) to the unsigned integer written in node records.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace kiv {

// Truncates towards zero; a value beyond the 64-bit range gives all bits set, and a value that
// is negative or not a number gives 0 (so no undefined conversion can happen).
inline uint64_t SpeedToUnsigned(double value) {
  if (!(value > 0.0)) return 0;
  // 2^64 is exactly representable; anything at or above it does not fit.
  if (value >= 18446744073709551616.0) return std::numeric_limits<uint64_t>::max();
  return static_cast<uint64_t>(value);
}

}  // namespace kiv
