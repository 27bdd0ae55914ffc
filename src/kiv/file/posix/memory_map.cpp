// The memory map of a shared file.
#include "kiv/file/posix/memory_map.h"

#include "kiv/file/posix/memory_map_view.h"

namespace kiv::file::posix {

MemoryMap::MemoryMap(int fd, std::shared_ptr<OperationContext> context)
    : fd_(fd), context_(std::move(context)) {}

std::shared_ptr<MemoryMappedData> MemoryMap::CreateView(uint64_t first, uint64_t last) {
  return std::make_shared<MemoryMapView>(fd_, context_, first, last);
}

}  // namespace kiv::file::posix
