// CRC-32 on ISA-L, which uses the processor's carry-less multiply where it has one.
#include "kiv/file/crc32.h"

#include <isa-l/crc.h>

namespace kiv::file {

uint32_t Crc32(const void* data, size_t length, uint32_t crc) {
  return crc32_gzip_refl(crc, static_cast<const unsigned char*>(data), length);
}

}  // namespace kiv::file
