// A writable view of one chunk of a file, cut from the file's shared mapping. The view starts on
// the page boundary below first; delta covers the gap. Destroying the view flushes its bytes and
// releases its pages from the process.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>

#include "kiv/file/memory_mapped_data.h"

namespace kiv::file {
class OperationContext;
}  // namespace kiv::file

namespace kiv::file::posix {

class MappedRegion;

class MemoryMapView : public MemoryMappedData {
 public:
  // [first, last] of region, which must cover last. The view keeps the region mapped, so it may
  // outlive its shared file.
  MemoryMapView(std::shared_ptr<MappedRegion> region, std::shared_ptr<OperationContext> context,
                uint64_t first, uint64_t last);
  ~MemoryMapView() override;
  MemoryMapView(const MemoryMapView&) = delete;
  MemoryMapView& operator=(const MemoryMapView&) = delete;

  uint64_t Tell() override;
  void Seek(uint64_t position) override;
  // At most 4096 bytes per call.
  uint32_t Read(void* buffer, uint32_t size) override;
  uint32_t Write(const void* buffer, uint32_t size) override;
  uint8_t* Advance(uint32_t count) override;
  uint8_t* Data() override;
  uint64_t Visit(const Visitor& visitor) override;
  void Fetch() override;

  // first modulo the page size: where Data lies past the start of the mapping.
  uint32_t Delta() const { return delta_; }
  size_t MappedLength() const { return mappedLength_; }

 private:
  uint32_t Length() const { return static_cast<uint32_t>(last - first + 1); }
  // Runs body under the I/O-error guard; a lost page makes the view broken for good.
  template <class Body>
  void Guarded(const char* operation, Body&& body);
  void ThrowIfBroken(const char* operation) const;

  uint8_t* base_ = nullptr;
  uint32_t delta_ = 0;
  uint32_t offset_ = 0;
  size_t mappedLength_ = 0;
  const std::shared_ptr<MappedRegion> region_;
  const std::shared_ptr<OperationContext> context_;
  // Set once a page of the view was lost; from then on its bytes are not the file's.
  std::atomic<bool> broken_{false};
};

}  // namespace kiv::file::posix
