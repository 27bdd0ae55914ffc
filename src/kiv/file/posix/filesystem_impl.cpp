// The Linux operations of the file system.
#include "kiv/file/posix/filesystem_impl.h"

#include <pwd.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "kiv/file/error_mapping.h"
#include "kiv/file/exceptions.h"
#include "kiv/file/posix/shared_file_impl.h"
#include "kiv/file/posix/volume_impl.h"

namespace kiv::file::posix {
namespace {

namespace fs = std::filesystem;

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

// $HOME, else the password database's home folder; empty when neither says.
std::string HomeFolder() {
  std::string home = Environment("HOME");
  if (!home.empty()) return home;
  std::vector<char> buffer(16384);
  passwd entry = {};
  passwd* result = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 &&
      result != nullptr && result->pw_dir != nullptr) {
    return result->pw_dir;
  }
  return std::string();
}

// The value of XDG_DESKTOP_DIR in user-dirs.dirs text: "$HOME/..." or an absolute path in
// double quotes, with backslash escapes; empty when the file does not say.
std::string DesktopFromUserDirs(std::istream& in, const std::string& home) {
  std::string line;
  std::string found;
  while (std::getline(in, line)) {
    const size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line[start] == '#') continue;
    static const std::string kKey = "XDG_DESKTOP_DIR=";
    if (line.compare(start, kKey.size(), kKey) != 0) continue;
    std::string value = line.substr(start + kKey.size());
    if (value.size() < 2 || value.front() != '"') continue;
    const size_t close = value.rfind('"');
    if (close == 0) continue;
    std::string unquoted;
    for (size_t i = 1; i < close; ++i) {
      if (value[i] == '\\' && i + 1 < close) ++i;
      unquoted += value[i];
    }
    if (unquoted.rfind("$HOME", 0) == 0) {
      const std::string rest = unquoted.substr(5);
      if (!rest.empty() && rest.front() != '/') continue;
      if (home.empty()) continue;
      found = home + rest;
    } else if (!unquoted.empty() && unquoted.front() == '/') {
      found = unquoted;
    }
  }
  return found;
}

bool HasProgramContent(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::array<char, 4> head = {};
  in.read(head.data(), head.size());
  const std::streamsize got = in.gcount();
  if (got >= 4 && head[0] == '\x7f' && head[1] == 'E' && head[2] == 'L' && head[3] == 'F') {
    return true;
  }
  return got >= 2 && head[0] == '#' && head[1] == '!';
}

}  // namespace

std::shared_ptr<SharedFile> FilesystemImpl::OpenSharedFile(const Path& folder, const Path& name,
                                                           OpenMode mode, bool useOperationContext,
                                                           uint64_t first, uint64_t last) {
  std::shared_ptr<OperationContext> context =
      useOperationContext ? GetOperationContext(folder) : nullptr;
  if (!Exists(folder)) throw NotFoundException("OpenSharedFile " + folder.string());
  const Path path = Join(folder, name);
  if (mode == OpenMode::OpenOrCreate || mode == OpenMode::CreateNew) {
    CreateDirectories(path.parent_path());
  }
  return std::make_shared<SharedFileImpl>(path.string(), mode, std::move(context), first, last);
}

std::shared_ptr<Volume> FilesystemImpl::GetVolume(const Path& path) {
  std::string canonical;
  try {
    canonical = Canonical(path).string();
  } catch (...) {
  }
  std::string rootName;
  if (!canonical.empty()) {
    std::ifstream in("/proc/self/mountinfo");
    const std::string mountinfo((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
    rootName = VolumeImpl::MountPointOf(mountinfo, canonical);
  }
  if (rootName.empty()) throw NotFoundException("GetVolume " + path.string());
  return std::make_shared<VolumeImpl>(rootName);
}

Filesystem::Path FilesystemImpl::DesktopFolder() {
  try {
    const std::string home = HomeFolder();
    std::string config = Environment("XDG_CONFIG_HOME");
    if (config.empty() || config.front() != '/') {
      if (home.empty()) return Path();
      config = home + "/.config";
    }
    std::ifstream in(config + "/user-dirs.dirs");
    if (in) {
      const std::string desktop = DesktopFromUserDirs(in, home);
      if (!desktop.empty()) return Path(desktop);
    }
    if (home.empty()) return Path();
    return Path(home) / "Desktop";
  } catch (...) {
    return Path();
  }
}

Filesystem::Path FilesystemImpl::TempFolder() {
  try {
    const std::string tmpdir = Environment("TMPDIR");
    std::error_code ec;
    if (!tmpdir.empty() && fs::is_directory(tmpdir, ec)) return Path(tmpdir);
    // XDG: a relative XDG_CACHE_HOME is invalid and ignored.
    const std::string cache = Environment("XDG_CACHE_HOME");
    if (!cache.empty() && cache.front() == '/') return Path(cache);
    const std::string home = HomeFolder();
    if (home.empty()) return Path();
    return Path(home) / ".cache";
  } catch (...) {
    return Path();
  }
}

bool FilesystemImpl::IsExecutable(const Path& folder, const Path& name) {
  const Path canonical = Canonical(Join(folder, name));
  static const std::array<const char*, 9> kExtensions = {".exe", ".bat", ".com", ".cmd",     ".msi",
                                                         ".vbs", ".sh",  ".run", ".AppImage"};
  const std::string extension = canonical.extension().string();
  for (const char* known : kExtensions) {
    if (extension == known) return true;
  }
  return HasProgramContent(canonical);
}

bool FilesystemImpl::IsHiddenOrSystem(const Path& path) {
  // The name as the user sees it, not the target of a link.
  Path normal = fs::absolute(path).lexically_normal();
  if (!normal.has_filename()) normal = normal.parent_path();
  if (!Exists(normal)) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(normal, ec))) {
      throw NotFoundException("IsHiddenOrSystem " + path.string());
    }
  }
  const std::string name = normal.filename().string();
  return !name.empty() && name.front() == '.';
}

}  // namespace kiv::file::posix
