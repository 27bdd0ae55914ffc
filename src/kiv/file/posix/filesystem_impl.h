// The Linux file system: shared files over open(2) and mmap(2), volumes from the mount table,
// the XDG desktop and cache folders, and the execute and hidden-file rules of this platform.
#pragma once

#include "kiv/file/filesystem.h"

namespace kiv::file::posix {

class FilesystemImpl : public Filesystem {
 public:
  std::shared_ptr<SharedFile> OpenSharedFile(const Path& folder, const Path& name, OpenMode mode,
                                             bool useOperationContext, uint64_t first,
                                             uint64_t last) override;
  // The mount that holds the canonical path.
  std::shared_ptr<Volume> GetVolume(const Path& path) override;
  // XDG_DESKTOP_DIR of the user's user-dirs.dirs, else $HOME/Desktop.
  Path DesktopFolder() override;
  // $TMPDIR when it names a folder, else the user's cache folder ($XDG_CACHE_HOME or
  // $HOME/.cache): per user and persistent, unlike /tmp.
  Path TempFolder() override;
  // By extension (.exe .bat .com .cmd .msi .vbs .sh .run .AppImage, case-sensitive) or by
  // content (an ELF image or a "#!" script).
  bool IsExecutable(const Path& folder, const Path& name) override;
  // The name begins with "."; the path must exist.
  bool IsHiddenOrSystem(const Path& path) override;
};

}  // namespace kiv::file::posix
