// The memory map of a shared file: one shared mapping of the whole file, made when the first
// view is asked for, from which every chunk view is cut.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

namespace kiv::file {
class MemoryMappedData;
class OperationContext;
}  // namespace kiv::file

namespace kiv::file::posix {

class MappedRegion;

class MemoryMap {
 public:
  // fd stays owned by the shared file and is used only while views are made.
  MemoryMap(int fd, std::shared_ptr<OperationContext> context);
  // Releases the mapping under the context's lock; views still alive keep it mapped.
  ~MemoryMap();
  MemoryMap(const MemoryMap&) = delete;
  MemoryMap& operator=(const MemoryMap&) = delete;

  // A view of [first, last]; the file must already reach past last.
  std::shared_ptr<MemoryMappedData> CreateView(uint64_t first, uint64_t last);

 private:
  const int fd_;
  const std::shared_ptr<OperationContext> context_;
  std::mutex regionLock_;
  // Remade at the file's new size if a view reaches past it (the file grew since).
  std::shared_ptr<MappedRegion> region_;
};

}  // namespace kiv::file::posix
