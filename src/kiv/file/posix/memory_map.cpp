// The memory map of a shared file.
#include "kiv/file/posix/memory_map.h"

#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "kiv/file/error_mapping.h"
#include "kiv/file/exceptions.h"
#include "kiv/file/operation_context.h"
#include "kiv/file/posix/mapped_region.h"
#include "kiv/file/posix/memory_map_view.h"

namespace kiv::file::posix {

MemoryMap::MemoryMap(int fd, std::shared_ptr<OperationContext> context)
    : fd_(fd), context_(std::move(context)) {}

MemoryMap::~MemoryMap() {
  try {
    OptionalContextLock lock(context_);
    region_.reset();
  } catch (...) {
  }
}

std::shared_ptr<MemoryMappedData> MemoryMap::CreateView(uint64_t first, uint64_t last) {
  std::shared_ptr<MappedRegion> region;
  {
    std::lock_guard<std::mutex> lock(regionLock_);
    if (!region_ || region_->Damaged() || region_->Length() <= last) {
      struct stat status = {};
      if (fstat(fd_, &status) != 0) {
        const int error = errno;
        ThrowForErrno(error, "MemoryMap fstat");
      }
      const uint64_t size = static_cast<uint64_t>(status.st_size);
      if (size <= last) {
        throw InvalidMapException("MemoryMap: byte " + std::to_string(last) +
                                  " lies beyond the end of the file");
      }
      region_ = std::make_shared<MappedRegion>(fd_, size);
    }
    region = region_;
  }
  return std::make_shared<MemoryMapView>(std::move(region), context_, first, last);
}

}  // namespace kiv::file::posix
