// The shared mapping of a whole file.
#include "kiv/file/posix/mapped_region.h"

#include <sys/mman.h>

#include <cerrno>
#include <string>

#include "kiv/file/error_mapping.h"
#include "kiv/file/exceptions.h"

namespace kiv::file::posix {

MappedRegion::MappedRegion(int fd, uint64_t length) : length_(length) {
  if (length == 0 || length > static_cast<uint64_t>(SIZE_MAX)) {
    throw InvalidMapException("MemoryMap mmap of " + std::to_string(length) + " bytes");
  }
  void* base =
      mmap(nullptr, static_cast<size_t>(length), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (base == MAP_FAILED) {
    const int error = errno;
    ThrowForErrno(error, "MemoryMap mmap of " + std::to_string(length) + " bytes");
    throw InvalidMapException("MemoryMap mmap of " + std::to_string(length) + " bytes");
  }
  base_ = static_cast<uint8_t*>(base);
}

MappedRegion::~MappedRegion() { munmap(base_, static_cast<size_t>(length_)); }

}  // namespace kiv::file::posix
