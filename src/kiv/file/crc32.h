// CRC-32 of chunk bytes: CRC-32/ISO-HDLC (the zlib and gzip CRC: polynomial 0x04C11DB7
// reflected, initial value and final XOR 0xFFFFFFFF; check value 0xCBF43926 for "123456789").
#pragma once

#include <cstddef>
#include <cstdint>

namespace kiv::file {

// The CRC of data continued from crc (0 to start), so a long run may be checksummed in pieces.
uint32_t Crc32(const void* data, size_t length, uint32_t crc = 0);

}  // namespace kiv::file
