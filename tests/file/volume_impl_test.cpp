#include "kiv/file/posix/volume_impl.h"

#include <gtest/gtest.h>

#include <string>

#include "file/private_tmpfs.h"
#include "file/scratch_folder.h"
#include "kiv/file/exceptions.h"
#include "kiv/file/posix/filesystem_impl.h"

namespace kiv::file::posix {
namespace {

namespace fs = std::filesystem;
using testing::ScratchFolder;

// Lines in the format of /proc/self/mountinfo (proc(5)).
const char kMountinfo[] =
    "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
    "23 22 0:21 / /proc rw,nosuid - proc proc rw\n"
    "30 22 8:17 / /home rw,relatime shared:5 master:2 - xfs /dev/sdb1 rw\n"
    "31 22 8:33 / /media/usb\\040stick rw - vfat /dev/sdc1 rw\n"
    "40 30 0:50 / /home/user/cache rw - tmpfs tmpfs rw\n"
    "41 30 0:51 / /home/user/cache rw - tmpfs tmpfs rw,size=1m\n"
    "malformed line\n";

TEST(VolumeImplTest, MountPointIsTheLongestMountHoldingThePath) {
  struct Case {
    const char* path;
    const char* mountPoint;
  };
  const Case kCases[] = {
      {"/", "/"},
      {"/etc/passwd", "/"},
      {"/home", "/home"},
      {"/home/user/file", "/home"},
      {"/homework/file", "/"},
      {"/media/usb stick/DCIM", "/media/usb stick"},
      {"/home/user/cache/x", "/home/user/cache"},
      {"/proc/self", "/proc"},
      {"relative/path", ""},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(c.mountPoint, VolumeImpl::MountPointOf(kMountinfo, c.path));
  }
}

TEST(VolumeImplTest, FileSystemTypeOfNames) {
  VolumeImpl volume("/");
  struct Case {
    const char* name;
    FileSystemType type;
  };
  const Case kCases[] = {
      {"vfat", FileSystemType::Fat32}, {"exfat", FileSystemType::ExFat},
      {"ntfs", FileSystemType::Ntfs},  {"ntfs3", FileSystemType::Ntfs},
      {"NTFS", FileSystemType::Other}, {"ext4", FileSystemType::Other},
      {"", FileSystemType::Other},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.type, volume.FileSystemType(c.name));
  }
}

TEST(VolumeImplTest, RootPathEndsWithASeparator) {
  EXPECT_EQ("/", VolumeImpl("/").RootPath());
  EXPECT_EQ("/home/", VolumeImpl("/home").RootPath());
  EXPECT_EQ("/home", VolumeImpl("/home").RootName());
}

TEST(VolumeImplTest, VolumeOfARealFolder) {
  FilesystemImpl filesystem;
  ScratchFolder scratch;
  auto volume = filesystem.GetVolume(scratch.Path());
  auto* impl = dynamic_cast<VolumeImpl*>(volume.get());
  ASSERT_NE(nullptr, impl);
  const std::string canonical = fs::canonical(scratch.Path()).string();
  EXPECT_EQ(0u, canonical.rfind(impl->RootName(), 0)) << impl->RootName();
  EXPECT_FALSE(volume->FileSystemName().empty());
  EXPECT_NO_THROW(volume->IsUsb());
  EXPECT_THROW(filesystem.GetVolume(scratch / "missing"), NotFoundException);
  EXPECT_THROW(VolumeImpl("/not/a/mount/point").FileSystemName(), InaccessibleException);
}

TEST(VolumeImplTest, VolumeOfAFreshTmpfsMount) {
  ScratchFolder scratch;
  const fs::path mount = fs::canonical(scratch.Path());
  const testing::ChildOutcome outcome = testing::RunWithPrivateTmpfs(mount, "size=1m", [&] {
    FilesystemImpl filesystem;
    fs::create_directory(mount / "sub");
    auto volume = filesystem.GetVolume(mount / "sub");
    auto* impl = dynamic_cast<VolumeImpl*>(volume.get());
    if (impl == nullptr) return std::string("not a VolumeImpl");
    if (impl->RootName() != mount.string()) return "root name " + impl->RootName();
    if (volume->FileSystemName() != "tmpfs") return "file system " + volume->FileSystemName();
    if (volume->FileSystemType(volume->FileSystemName()) != FileSystemType::Other) {
      return std::string("tmpfs is not Other");
    }
    if (volume->IsUsb()) return std::string("a tmpfs on USB");
    return std::string();
  });
  if (outcome.kind == testing::ChildOutcome::Skipped) {
    GTEST_SKIP() << "cannot mount a small tmpfs here (" << outcome.message << ")";
  }
  EXPECT_EQ(testing::ChildOutcome::Passed, outcome.kind) << outcome.message;
}

}  // namespace
}  // namespace kiv::file::posix
