// Shared files on Linux file descriptors.
#include "kiv/file/posix/shared_file_impl.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <limits>

#include "kiv/file/error_mapping.h"
#include "kiv/file/exceptions.h"
#include "kiv/file/memory_mapped_data.h"
#include "kiv/file/operation_context.h"
#include "kiv/file/posix/memory_map.h"

namespace kiv::file::posix {
namespace {

constexpr uint32_t kMaxReadBlock = 4096;
constexpr uint64_t kMaxOffset = static_cast<uint64_t>(std::numeric_limits<off_t>::max());

int OpenFlags(OpenMode mode) {
  const int base = O_RDWR | O_CLOEXEC;
  switch (mode) {
    case OpenMode::CreateNew:
      return base | O_CREAT | O_EXCL;
    case OpenMode::OpenExisting:
      return base;
    case OpenMode::OpenOrCreate:
    default:
      return base | O_CREAT;
  }
}

}  // namespace

SharedFileImpl::SharedFileImpl(std::string path, OpenMode mode,
                               std::shared_ptr<OperationContext> context, uint64_t first,
                               uint64_t last)
    : SharedFile(first, last, std::move(context)), path_(std::move(path)) {
  do {
    fd_ = open(path_.c_str(), OpenFlags(mode), 0644);
  } while (fd_ < 0 && errno == EINTR);
  if (fd_ < 0) {
    const int error = errno;
    if (error == EISDIR) throw BadPathException(Describe("open") + ": not a regular file");
    ThrowForErrno(error, Describe("open"));
    throw UnknownException(Describe("open"));
  }
  // Mapping and positioned I/O need a regular file; a folder or a device is not one.
  struct stat status = {};
  if (fstat(fd_, &status) != 0 || !S_ISREG(status.st_mode)) {
    close(fd_);
    throw BadPathException(Describe("open") + ": not a regular file");
  }
  try {
    Seek(first);
  } catch (...) {
    close(fd_);
    throw;
  }
}

SharedFileImpl::~SharedFileImpl() {
  try {
    OptionalContextLock lock(Context());
    map_.reset();
    close(fd_);
  } catch (...) {
  }
}

std::string SharedFileImpl::Describe(const char* operation) const {
  return std::string("SharedFile ") + operation + " " + path_;
}

uint64_t SharedFileImpl::Tell() {
  std::lock_guard<std::mutex> lock(positionLock_);
  return position_;
}

void SharedFileImpl::Seek(uint64_t position) {
  CheckRange(position, position);
  std::lock_guard<std::mutex> lock(positionLock_);
  position_ = position;
}

uint32_t SharedFileImpl::Read(void* buffer, uint32_t size) {
  OptionalContextLock contextLock(Context());
  if (size == 0) return 0;
  const uint32_t count = std::min(size, kMaxReadBlock);
  std::lock_guard<std::mutex> lock(positionLock_);
  const uint64_t position = position_;
  CheckRange(position, position + count - 1);
  CheckSpan(position, position + count - 1);
  if (position + count - 1 > kMaxOffset) throw OutOfBoundsException(Describe("Read"));
  uint32_t done = 0;
  while (done < count) {
    const ssize_t got = pread(fd_, static_cast<uint8_t*>(buffer) + done, count - done,
                              static_cast<off_t>(position + done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      const int error = errno;
      ThrowForErrno(error, Describe("Read"));
    }
    if (got <= 0) break;  // end of file
    done += static_cast<uint32_t>(got);
  }
  position_ = position + done;
  return done;
}

uint32_t SharedFileImpl::Write(const void* buffer, uint32_t size) {
  OptionalContextLock contextLock(Context());
  if (size == 0) return 0;
  std::lock_guard<std::mutex> lock(positionLock_);
  const uint64_t position = position_;
  CheckRange(position, position + size - 1);
  CheckSpan(position, position + size - 1);
  if (position + size - 1 > kMaxOffset) throw InsufficientSpaceException(Describe("Write"));
  uint32_t done = 0;
  while (done < size) {
    const ssize_t put = pwrite(fd_, static_cast<const uint8_t*>(buffer) + done, size - done,
                               static_cast<off_t>(position + done));
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) {
      const int error = errno;
      // Whatever part went out is on the file; the position stays, so the caller can retry
      // the whole block.
      ThrowForErrno(error, Describe("Write"));
      throw UnknownException(Describe("Write"));
    }
    if (put == 0) throw InsufficientSpaceException(Describe("Write"));
    done += static_cast<uint32_t>(put);
  }
  position_ = position + size;
  return size;
}

uint64_t SharedFileImpl::GetSize() {
  struct stat status = {};
  if (fstat(fd_, &status) != 0) {
    const int error = errno;
    ThrowForErrno(error, Describe("GetSize"));
  }
  return static_cast<uint64_t>(status.st_size);
}

bool SharedFileImpl::Allocate(uint64_t size) {
  OptionalContextLock lock(Context());
  if (GetSize() != 0) return false;
  if (size == 0) return true;
  CheckRange(0, size - 1);
  if (size > kMaxOffset) throw InsufficientSpaceException(Describe("Allocate"));
  int error = 0;
  do {
    error = posix_fallocate(fd_, 0, static_cast<off_t>(size));
  } while (error == EINTR);
  if (error == EOPNOTSUPP || error == ENOSYS) {
    // A file system that cannot reserve space: the file gets its size, the blocks come later.
    error = ftruncate(fd_, static_cast<off_t>(size)) == 0 ? 0 : errno;
  }
  if (error != 0) {
    // Leave the file empty, as it was, rather than half reserved with a size of its own.
    if (ftruncate(fd_, 0) != 0) {
      // Nothing better to do; the failure below is what the caller needs to hear.
    }
    ThrowForErrno(error, Describe("Allocate"));
  }
  Seek(0);
  return true;
}

bool SharedFileImpl::AllowExecute() {
  struct stat status = {};
  if (fstat(fd_, &status) != 0) return false;
  const mode_t mode = status.st_mode & 07777;
  // Executable for exactly those who may read it.
  const mode_t wanted = mode | ((mode & (S_IRUSR | S_IRGRP | S_IROTH)) >> 2);
  return wanted == mode || fchmod(fd_, wanted) == 0;
}

bool SharedFileImpl::DenyExecute() {
  struct stat status = {};
  if (fstat(fd_, &status) != 0) return false;
  const mode_t mode = status.st_mode & 07777;
  const mode_t wanted = mode & ~static_cast<mode_t>(S_IXUSR | S_IXGRP | S_IXOTH);
  return wanted == mode || fchmod(fd_, wanted) == 0;
}

std::shared_ptr<MemoryMappedData> SharedFileImpl::Map(uint64_t a, uint64_t b) {
  CheckRange(a, b);
  CheckSpan(a, b);
  if (b >= GetSize()) {
    throw InvalidMapException(Describe("Map") + ": [" + std::to_string(a) + ", " +
                              std::to_string(b) + "] lies beyond the end of the file");
  }
  std::shared_ptr<MemoryMap> map;
  {
    std::lock_guard<std::mutex> lock(mapLock_);
    if (!map_) map_ = std::make_shared<MemoryMap>(fd_, Context());
    map = map_;
  }
  return map->CreateView(a, b);
}

}  // namespace kiv::file::posix
