// One mmap(2) of a whole file, shared by the memory map of a shared file and every view cut
// from it. Mapping the file once matters: a map and unmap per chunk makes the kernel build and
// tear down page tables for every chunk, which costs more than the chunk's bytes (several
// times slower than pwrite on virtual machines); sub-ranges of one mapping do not.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

namespace kiv::file::posix {

class MappedRegion {
 public:
  // Maps the first length bytes of fd shared and writable; throws the file exception of the
  // failure.
  MappedRegion(int fd, uint64_t length);
  // Unmaps; whatever was written stays in the file.
  ~MappedRegion();
  MappedRegion(const MappedRegion&) = delete;
  MappedRegion& operator=(const MappedRegion&) = delete;

  uint8_t* Base() const { return base_; }
  uint64_t Length() const { return length_; }

  // A lost page of the file was replaced by a zero page inside this mapping (see FaultGuard):
  // from then on no view of it can be trusted to reach the file, and new views need a new
  // mapping.
  bool Damaged() const { return damaged_.load(std::memory_order_seq_cst); }
  // Set by the fault guard, from its signal handler.
  std::atomic<bool>* DamageFlag() { return &damaged_; }

 private:
  std::atomic<bool> damaged_{false};
  uint8_t* base_ = nullptr;
  uint64_t length_ = 0;
};

}  // namespace kiv::file::posix
