// The memory map of a shared file. On Linux the mapping is the file descriptor itself; each view
// is its own mmap(2) of a chunk, so the map only hands out views.
#pragma once

#include <cstdint>
#include <memory>

namespace kiv::file {
class MemoryMappedData;
class OperationContext;
}  // namespace kiv::file

namespace kiv::file::posix {

class MemoryMap {
 public:
  // fd stays owned by the shared file; views outlive neither need it after they are made.
  MemoryMap(int fd, std::shared_ptr<OperationContext> context);
  MemoryMap(const MemoryMap&) = delete;
  MemoryMap& operator=(const MemoryMap&) = delete;

  std::shared_ptr<MemoryMappedData> CreateView(uint64_t first, uint64_t last);

 private:
  const int fd_;
  const std::shared_ptr<OperationContext> context_;
};

}  // namespace kiv::file::posix
