#include "kiv/file/bounded_data.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <new>

#include "kiv/file/exceptions.h"

namespace kiv::file {
namespace {

class Range : public BoundedData {
 public:
  using BoundedData::BoundedData;
  uint64_t Tell() override { return 0; }
  void Seek(uint64_t) override {}
  uint32_t Read(void*, uint32_t) override { return 0; }
  uint32_t Write(const void*, uint32_t) override { return 0; }
};

constexpr uint64_t kMax = UINT64_MAX;

TEST(BoundedDataTest, CheckRangeAcceptsExactlyTheRangesInsideFirstToLast) {
  struct Case {
    const char* name;
    uint64_t first, last, a, b;
    bool inside;
  };
  const Case kCases[] = {
      {"whole range", 10, 20, 10, 20, true},
      {"single first byte", 10, 20, 10, 10, true},
      {"single last byte", 10, 20, 20, 20, true},
      {"one before first", 10, 20, 9, 20, false},
      {"one past last", 10, 20, 10, 21, false},
      {"reversed", 10, 20, 15, 14, false},
      {"whole 64-bit range", 0, kMax, 0, kMax, true},
      {"top byte", 0, kMax, kMax, kMax, true},
      {"wrapped end reads as reversed", 0, kMax, kMax, 0, false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const Range range(c.first, c.last);
    if (c.inside) {
      EXPECT_NO_THROW(range.CheckRange(c.a, c.b));
    } else {
      EXPECT_THROW(range.CheckRange(c.a, c.b), OutOfBoundsException);
    }
  }
}

TEST(BoundedDataTest, CheckSpanRefusesFourGigabytesOrMore) {
  struct Case {
    const char* name;
    uint64_t a, b;
    bool fits;
  };
  const Case kCases[] = {
      {"one byte", 5, 5, true},
      {"largest span, 2^32 - 1 bytes", 0, 0xFFFFFFFEull, true},
      {"largest span high in the file", 1ull << 40, (1ull << 40) + 0xFFFFFFFEull, true},
      {"2^32 bytes", 0, 0xFFFFFFFFull, false},
      {"reversed", 6, 5, false},
      {"all 2^64 bytes (length wraps to 0)", 0, kMax, false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    if (c.fits) {
      EXPECT_NO_THROW(BoundedData::CheckSpan(c.a, c.b));
    } else {
      EXPECT_THROW(BoundedData::CheckSpan(c.a, c.b), std::bad_alloc);
    }
  }
}

}  // namespace
}  // namespace kiv::file
