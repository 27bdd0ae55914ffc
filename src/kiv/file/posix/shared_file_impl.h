// A shared file on a Linux file descriptor: positioned reads and writes with pread/pwrite, space
// reserved with posix_fallocate, the execute ban on permission bits, and mmap views.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "kiv/file/shared_file.h"

namespace kiv::file::posix {

class MemoryMap;

class SharedFileImpl : public SharedFile {
 public:
  // Opens path read-write with mode's disposition (no folders are created here); throws the
  // file exception of the failure.
  SharedFileImpl(std::string path, OpenMode mode, std::shared_ptr<OperationContext> context,
                 uint64_t first, uint64_t last);
  ~SharedFileImpl() override;

  uint64_t Tell() override;
  void Seek(uint64_t position) override;
  uint32_t Read(void* buffer, uint32_t size) override;
  uint32_t Write(const void* buffer, uint32_t size) override;
  uint64_t GetSize() override;
  bool Allocate(uint64_t size) override;
  // Sets the execute bit for each class (user, group, other) that may read the file.
  bool AllowExecute() override;
  // Clears every execute bit.
  bool DenyExecute() override;
  std::shared_ptr<MemoryMappedData> Map(uint64_t a, uint64_t b) override;

  const std::string& Path() const { return path_; }

 private:
  std::string Describe(const char* operation) const;

  int fd_ = -1;
  std::shared_ptr<MemoryMap> map_;
  std::mutex mapLock_;
  // The file's single position for Tell, Seek, Read and Write.
  std::mutex positionLock_;
  uint64_t position_ = 0;
  const std::string path_;
};

}  // namespace kiv::file::posix
