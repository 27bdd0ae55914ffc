// All file-system access of the engine and the updater goes through one Filesystem. The base
// class implements the portable operations on std::filesystem; a platform implementation adds
// shared files, volumes and the user's folders. Failures are kiv::file exceptions.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "kiv/file/operation_context.h"
#include "kiv/file/shared_file.h"

namespace kiv::file {

class Volume;

class Filesystem {
 public:
  using Path = std::filesystem::path;

  Filesystem();
  virtual ~Filesystem();
  Filesystem(const Filesystem&) = delete;
  Filesystem& operator=(const Filesystem&) = delete;

  // Opens folder/name for positioned and mapped access within [first, last]. NotFoundException
  // if folder does not exist; OpenOrCreate and CreateNew create the parents of the file.
  virtual std::shared_ptr<SharedFile> OpenSharedFile(const Path& folder, const Path& name,
                                                     OpenMode mode, bool useOperationContext,
                                                     uint64_t first, uint64_t last) = 0;
  // Removes the file folder/name, then the sub-folders of name that it leaves empty; folder
  // itself is never removed. Answers whether the file existed.
  virtual bool RemoveAndPrune(const Path& folder, const Path& name, bool useOperationContext);
  // The volume that holds path; NotFoundException when path does not resolve.
  virtual std::shared_ptr<Volume> GetVolume(const Path& path) = 0;

  // True if path names an existing file or folder; errors other than not-found throw.
  virtual bool Exists(const Path& path);
  virtual bool ExistsNoThrow(const Path& path);
  // Absolute, with links and dot components resolved; the path must exist.
  virtual Path Canonical(const Path& path);
  // Whether both canonical forms are equal; any error answers false.
  virtual bool IsSamePath(const Path& a, const Path& b);
  virtual uint64_t FileSize(const Path& path);
  // 0 for a missing file and on any error.
  virtual uint64_t FileSizeOrZero(const Path& path);
  // Bytes available to this user on the volume of path.
  virtual uint64_t AvailableSpace(const Path& path);
  // The user's desktop folder; empty when it cannot be told.
  virtual Path DesktopFolder() = 0;
  // The per-user folder for temporary data; empty when it cannot be told.
  virtual Path TempFolder() = 0;
  virtual std::filesystem::directory_iterator OpenDirectory(const Path& path);
  // Whether folder/name is a program file (by extension or content); the file must exist.
  virtual bool IsExecutable(const Path& folder, const Path& name) = 0;
  virtual bool IsHiddenOrSystem(const Path& path) = 0;
  // True if the folder has no entries, or, with the flag, only hidden or system entries.
  virtual bool IsEmptyDirectory(const Path& path, bool ignoreHiddenOrSystem);
  virtual bool CreateDirectoryIn(const Path& folder, const Path& name);
  // Creates one folder; true if it was created, false if it already was a folder.
  virtual bool CreateDirectory(const Path& path);
  // Creates the folder and its missing parents; true if any was created.
  virtual bool CreateDirectories(const Path& path);
  // Makes sure path is a folder; true when it is. A non-folder in the way throws.
  virtual bool EnsureDirectory(const Path& path);
  virtual bool EnsureDirectoryNoThrow(const Path& path);
  // Copies a regular file (failing if the target exists), a folder (the folder alone) or a
  // link; anything else is BadPathException.
  virtual void Copy(const Path& from, const Path& to, bool useOperationContext);
  virtual void CreateSymlink(const Path& target, const Path& link);
  virtual bool RemoveIn(const Path& folder, const Path& name, bool recursive,
                        bool useOperationContext);
  // Recursive: removes the tree and answers whether anything was removed. Otherwise removes one
  // file or empty folder and answers whether it existed.
  virtual bool Remove(const Path& path, bool recursive, bool useOperationContext);
  // The filesystem's single context; path is not used.
  virtual std::shared_ptr<OperationContext> GetOperationContext(const Path& path);
  // Throws the file exception for code (detail names what failed, for the log); returns only
  // when code means success.
  virtual void ThrowForErrorCode(const std::error_code& code,
                                 const std::string& detail = std::string());

  // folder joined with name; a rooted name is taken relative to folder, so a name never
  // escapes its folder by being absolute.
  static Path Join(const Path& folder, const Path& name);

 private:
  const std::shared_ptr<OperationContext> context_;
};

}  // namespace kiv::file
