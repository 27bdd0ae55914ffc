#include "kiv/file/bounded_data.h"

#include <new>

#include "kiv/file/exceptions.h"

namespace kiv::file {

void BoundedData::CheckRange(uint64_t a, uint64_t b) const {
  if (a > b || a < first || b > last) throw OutOfBoundsException();
}

void BoundedData::CheckSpan(uint64_t a, uint64_t b) {
  // b - a + 1 must not wrap: a == 0 and b == UINT64_MAX is a 2^64-byte span.
  if (a > b || b - a >= 0xFFFFFFFFull) throw std::bad_alloc();
}

}  // namespace kiv::file
