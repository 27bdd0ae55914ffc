// A disk volume: the mount that holds a path, with its file-system kind and whether it sits on
// a USB device (the engine reports both).
#pragma once

#include <cstdint>
#include <string>

namespace kiv::file {

enum class FileSystemType : int32_t { Other = 0, Ntfs = 1, Fat32 = 2, ExFat = 3 };

class Volume {
 public:
  explicit Volume(std::string rootPath) : rootPath_(std::move(rootPath)) {}
  virtual ~Volume() = default;
  Volume(const Volume&) = delete;
  Volume& operator=(const Volume&) = delete;

  // The file-system name, for instance "ext4" or "vfat"; InaccessibleException when the
  // system cannot say.
  virtual std::string FileSystemName() = 0;
  // The kind of a file-system name as FileSystemName reports it (exact, case-sensitive).
  virtual file::FileSystemType FileSystemType(const std::string& fileSystemName) = 0;
  // Whether the volume's device is attached through USB.
  virtual bool IsUsb() = 0;

  // The root of the volume, ending with a separator.
  const std::string& RootPath() const { return rootPath_; }

 private:
  const std::string rootPath_;
};

}  // namespace kiv::file
