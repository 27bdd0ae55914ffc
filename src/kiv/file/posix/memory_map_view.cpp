// Chunk views cut from the shared mapping of a file.
#include "kiv/file/posix/memory_map_view.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

#include "kiv/file/error_mapping.h"
#include "kiv/file/exceptions.h"
#include "kiv/file/operation_context.h"
#include "kiv/file/posix/fault_guard.h"
#include "kiv/file/posix/mapped_region.h"

namespace kiv::file::posix {
namespace {

constexpr uint32_t kMaxReadBlock = 4096;

uint64_t PageSize() {
  static const uint64_t pageSize = [] {
    const long size = sysconf(_SC_PAGESIZE);
    return size > 0 ? static_cast<uint64_t>(size) : 4096;
  }();
  return pageSize;
}

std::string Range(uint64_t first, uint64_t last) {
  return "[" + std::to_string(first) + ", " + std::to_string(last) + "]";
}

}  // namespace

MemoryMapView::MemoryMapView(std::shared_ptr<MappedRegion> region,
                             std::shared_ptr<OperationContext> context, uint64_t first,
                             uint64_t last)
    : MemoryMappedData(first, last), region_(std::move(region)), context_(std::move(context)) {
  CheckRange(first, last);
  CheckSpan(first, last);
  if (!region_ || last >= region_->Length()) {
    throw InvalidMapException("MemoryMapView " + Range(first, last) + ": beyond the mapping");
  }
  delta_ = static_cast<uint32_t>(first % PageSize());
  mappedLength_ = static_cast<size_t>(last - first + 1) + delta_;
  base_ = region_->Base() + (first - delta_);
}

MemoryMapView::~MemoryMapView() {
  try {
    OptionalContextLock lock(context_);
    // Hands the bytes to writeback, then drops the view's pages from the process: the page
    // cache keeps them (dirty ones are still written), the page tables stay for the next view.
    msync(base_, mappedLength_, MS_ASYNC);
    madvise(base_, mappedLength_, MADV_DONTNEED);
  } catch (...) {
  }
}

uint64_t MemoryMapView::Tell() { return first + offset_; }

void MemoryMapView::Seek(uint64_t position) {
  CheckRange(position, position);
  offset_ = static_cast<uint32_t>(position - first);
}

void MemoryMapView::ThrowIfBroken(const char* operation) const {
  // A page lost under any view of the mapping may be one this view shares at its edge.
  if (broken_.load(std::memory_order_relaxed) || region_->Damaged()) {
    throw InvalidMapException(std::string("MemoryMapView::") + operation + " " +
                              Range(first, last) + ": a page of the view was lost");
  }
}

template <class Body>
void MemoryMapView::Guarded(const char* operation, Body&& body) {
  ThrowIfBroken(operation);
  bool faulted = false;
  {
    FaultGuard guard(base_, mappedLength_, region_->DamageFlag());
    body();
    faulted = guard.Faulted();
  }
  if (faulted || region_->Damaged()) {
    broken_.store(true, std::memory_order_relaxed);
    throw InvalidMapException(std::string("MemoryMapView::") + operation + " " +
                              Range(first, last) + ": I/O error under the mapped view");
  }
}

uint8_t* MemoryMapView::Advance(uint32_t count) {
  if (count == 0) return nullptr;
  ThrowIfBroken("Advance");
  const uint64_t position = Tell();
  CheckRange(position, position + count - 1);
  CheckSpan(position, position + count - 1);
  uint8_t* bytes = base_ + delta_ + offset_;
  offset_ += count;
  return bytes;
}

uint8_t* MemoryMapView::Data() { return base_ + delta_; }

uint32_t MemoryMapView::Read(void* buffer, uint32_t size) {
  const uint32_t count = std::min(size, kMaxReadBlock);
  if (count == 0) return 0;
  const uint64_t position = Tell();
  CheckRange(position, position + count - 1);
  // The position moves only once the bytes are out, so a failed read can be repeated.
  Guarded("Read", [&] { std::memcpy(buffer, base_ + delta_ + offset_, count); });
  offset_ += count;
  return count;
}

uint32_t MemoryMapView::Write(const void* buffer, uint32_t size) {
  if (size == 0) return 0;
  const uint64_t position = Tell();
  CheckRange(position, position + size - 1);
  CheckSpan(position, position + size - 1);
  Guarded("Write", [&] { std::memcpy(base_ + delta_ + offset_, buffer, size); });
  offset_ += size;
  return size;
}

uint64_t MemoryMapView::Visit(const Visitor& visitor) {
  uint64_t result = 0;
  Guarded("Visit", [&] { result = visitor(Data(), Length()); });
  return result;
}

void MemoryMapView::Fetch() {
  OptionalContextLock lock(context_);
  ThrowIfBroken("Fetch");
#ifdef MADV_POPULATE_WRITE
  // One call faults the whole view in, writable, instead of one fault per page.
  for (;;) {
    if (madvise(base_, mappedLength_, MADV_POPULATE_WRITE) == 0) return;
    const int error = errno;
    if (error == EINTR || error == EAGAIN) continue;
    if (error == EINVAL) break;  // a kernel without it: touch the pages instead
    if (error == EFAULT || error == EIO || error == EHWPOISON) {
      broken_.store(true, std::memory_order_relaxed);
      throw InvalidMapException("MemoryMapView::Fetch " + Range(first, last) +
                                ": I/O error under the mapped view");
    }
    ThrowForErrno(error, "MemoryMapView::Fetch " + Range(first, last));
    throw InvalidMapException("MemoryMapView::Fetch " + Range(first, last));
  }
#endif
  uint8_t dummy = 0;
  Guarded("Fetch", [&] {
    const volatile uint8_t* bytes = Data();
    const uint64_t length = Length();
    for (uint64_t k = 0; k < length; k += PageSize()) dummy &= bytes[k];
  });
  if (dummy != 0) {
    throw std::logic_error("MemoryMapView::Fetch: actual logic error, dummy result must be zero");
  }
}

}  // namespace kiv::file::posix
