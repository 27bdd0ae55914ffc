#include "kiv/file/crc32.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace kiv::file {
namespace {

TEST(Crc32Test, KnownAnswers) {
  // CRC-32/ISO-HDLC check value from the CRC catalogue (reveng), and the empty input.
  EXPECT_EQ(0xCBF43926u, Crc32("123456789", 9));
  EXPECT_EQ(0u, Crc32("", 0));
  // "The quick brown fox jumps over the lazy dog": the value zlib and gzip publish.
  const std::string fox = "The quick brown fox jumps over the lazy dog";
  EXPECT_EQ(0x414FA339u, Crc32(fox.data(), fox.size()));
}

TEST(Crc32Test, MatchesZlibInOneGoAndInPieces) {
  std::mt19937 random(7);
  std::vector<uint8_t> bytes(1 << 20);
  for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
  for (size_t length : {size_t{1}, size_t{15}, size_t{64}, size_t{4097}, bytes.size()}) {
    SCOPED_TRACE(length);
    const uint32_t reference = static_cast<uint32_t>(crc32(0, bytes.data(), length));
    EXPECT_EQ(reference, Crc32(bytes.data(), length));
    const size_t half = length / 3;
    EXPECT_EQ(reference, Crc32(bytes.data() + half, length - half, Crc32(bytes.data(), half)));
  }
}

}  // namespace
}  // namespace kiv::file
