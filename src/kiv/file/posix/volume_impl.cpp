// Linux volumes from the mount table and sysfs.
#include "kiv/file/posix/volume_impl.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "kiv/file/exceptions.h"

namespace kiv::file::posix {
namespace {

namespace fs = std::filesystem;

struct MountEntry {
  std::string majorMinor;
  std::string mountPoint;
  std::string fileSystemType;
  std::string source;
};

// mountinfo escapes space, tab, newline and backslash as three octal digits.
std::string Unescape(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool escape = text[i] == '\\' && i + 3 < text.size() &&
                        text.find_first_not_of("01234567", i + 1) >= i + 4;
    if (escape) {
      out += static_cast<char>(std::stoi(text.substr(i + 1, 3), nullptr, 8));
      i += 3;
    } else {
      out += text[i];
    }
  }
  return out;
}

// Lines of /proc/self/mountinfo: "id parent maj:min root mountpoint options [tags...] - fstype
// source superoptions".
std::vector<MountEntry> ParseMountinfo(const std::string& mountinfo) {
  std::vector<MountEntry> entries;
  std::istringstream lines(mountinfo);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::vector<std::string> words{std::istream_iterator<std::string>(fields),
                                   std::istream_iterator<std::string>()};
    if (words.size() < 7) continue;
    size_t separator = 6;
    while (separator < words.size() && words[separator] != "-") ++separator;
    if (separator + 2 >= words.size()) continue;
    entries.push_back({words[2], Unescape(words[4]), Unescape(words[separator + 1]),
                       Unescape(words[separator + 2])});
  }
  return entries;
}

bool Holds(const std::string& mountPoint, const std::string& path) {
  if (mountPoint == "/") return !path.empty() && path.front() == '/';
  if (path.compare(0, mountPoint.size(), mountPoint) != 0) return false;
  return path.size() == mountPoint.size() || path[mountPoint.size()] == '/';
}

// The entry that is mounted at mountPoint now: the last one, since later mounts cover earlier.
bool FindMount(const std::string& mountPoint, MountEntry& found) {
  std::ifstream in("/proc/self/mountinfo");
  if (!in) return false;
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  bool any = false;
  for (const MountEntry& entry : ParseMountinfo(text)) {
    if (entry.mountPoint == mountPoint) {
      found = entry;
      any = true;
    }
  }
  return any;
}

// The sysfs device folder of the mount's block device; empty for mounts without one.
fs::path BlockDeviceFolder(const MountEntry& entry) {
  std::string majorMinor = entry.majorMinor;
  // File systems such as btrfs report an anonymous device number; the source names the disk.
  if (majorMinor.rfind("0:", 0) == 0) {
    struct stat status = {};
    if (entry.source.rfind("/dev/", 0) != 0 || stat(entry.source.c_str(), &status) != 0 ||
        !S_ISBLK(status.st_mode)) {
      return fs::path();
    }
    majorMinor =
        std::to_string(major(status.st_rdev)) + ":" + std::to_string(minor(status.st_rdev));
  }
  std::error_code ec;
  const fs::path folder = fs::canonical("/sys/dev/block/" + majorMinor, ec);
  return ec ? fs::path() : folder;
}

}  // namespace

VolumeImpl::VolumeImpl(std::string rootName)
    : Volume(rootName == "/" || (!rootName.empty() && rootName.back() == '/') ? rootName
                                                                              : rootName + "/"),
      rootName_(std::move(rootName)) {}

std::string VolumeImpl::MountPointOf(const std::string& mountinfo,
                                     const std::string& canonicalPath) {
  std::string best;
  for (const MountEntry& entry : ParseMountinfo(mountinfo)) {
    if (Holds(entry.mountPoint, canonicalPath) && entry.mountPoint.size() >= best.size()) {
      best = entry.mountPoint;
    }
  }
  return best;
}

std::string VolumeImpl::FileSystemName() {
  MountEntry entry;
  if (!FindMount(rootName_, entry)) {
    throw InaccessibleException("Volume::FileSystemName " + rootName_ + ": not mounted");
  }
  return entry.fileSystemType;
}

file::FileSystemType VolumeImpl::FileSystemType(const std::string& fileSystemName) {
  if (fileSystemName == "vfat") return file::FileSystemType::Fat32;
  if (fileSystemName == "exfat") return file::FileSystemType::ExFat;
  if (fileSystemName == "ntfs" || fileSystemName == "ntfs3") return file::FileSystemType::Ntfs;
  return file::FileSystemType::Other;
}

bool VolumeImpl::IsUsb() {
  MountEntry entry;
  if (!FindMount(rootName_, entry)) {
    throw InaccessibleException("Volume::IsUsb " + rootName_ + ": not mounted");
  }
  // Walk up from the block device towards the root of the device tree: a USB disk has a USB
  // interface or device among its ancestors.
  std::error_code ec;
  for (fs::path folder = BlockDeviceFolder(entry);
       !folder.empty() && folder != folder.root_path() && folder != "/sys/devices";
       folder = folder.parent_path()) {
    const fs::path subsystem = fs::read_symlink(folder / "subsystem", ec);
    if (!ec && subsystem.filename() == "usb") return true;
  }
  return false;
}

}  // namespace kiv::file::posix
