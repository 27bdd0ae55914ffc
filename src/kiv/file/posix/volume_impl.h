// A Linux volume: the mount point that holds a path, described from /proc/self/mountinfo and
// sysfs.
#pragma once

#include <string>

#include "kiv/file/volume.h"

namespace kiv::file::posix {

class VolumeImpl : public Volume {
 public:
  // rootName is the mount point, for instance "/" or "/media/usb".
  explicit VolumeImpl(std::string rootName);

  // The mount's file-system type, for instance "ext4", "vfat", "tmpfs".
  std::string FileSystemName() override;
  // vfat → Fat32, exfat → ExFat, ntfs and ntfs3 → Ntfs, anything else → Other.
  file::FileSystemType FileSystemType(const std::string& fileSystemName) override;
  // Whether the mount's block device hangs off a USB bus; false for mounts without one.
  bool IsUsb() override;

  const std::string& RootName() const { return rootName_; }

  // The mount point of the longest mount that holds canonicalPath, from mountinfo text;
  // empty when none does.
  static std::string MountPointOf(const std::string& mountinfo, const std::string& canonicalPath);

 private:
  const std::string rootName_;
};

}  // namespace kiv::file::posix
