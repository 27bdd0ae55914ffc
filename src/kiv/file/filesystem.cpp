// The portable operations of Filesystem, on std::filesystem.
#include "kiv/file/filesystem.h"

#include <cerrno>
#include <new>
#include <string>

#include "kiv/file/error_mapping.h"
#include "kiv/file/exceptions.h"

namespace kiv::file {
namespace {

namespace fs = std::filesystem;

std::string Describe(const char* operation, const fs::path& path) {
  return std::string(operation) + " " + path.string();
}

// Runs body and turns whatever it throws into the file exception family: library errors through
// the filesystem's error mapping, file exceptions and out-of-memory unchanged, anything else as
// unknown.
template <class Body>
auto Guarded(Filesystem& filesystem, const char* operation, const fs::path& path, Body&& body) {
  try {
    return body();
  } catch (const Exception&) {
    throw;
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::system_error& e) {  // std::filesystem::filesystem_error among them
    filesystem.ThrowForErrorCode(e.code(), Describe(operation, path));
    throw UnknownException(Describe(operation, path) + ": " + e.what());
  } catch (const std::exception& e) {
    throw UnknownException(Describe(operation, path) + ": " + e.what());
  }
}

void Check(Filesystem& filesystem, const std::error_code& ec, const char* operation,
           const fs::path& path) {
  if (!ec) return;
  filesystem.ThrowForErrorCode(ec, Describe(operation, path));
  throw UnknownException(Describe(operation, path) + ": " + ec.message());
}

// A name is pruned only while it stays inside its folder.
bool StaysInside(const fs::path& relativeName) {
  for (const auto& part : relativeName) {
    if (part == "..") return false;
  }
  return true;
}

}  // namespace

Filesystem::Filesystem() : context_(std::make_shared<OperationContext>()) {}

Filesystem::~Filesystem() = default;

Filesystem::Path Filesystem::Join(const Path& folder, const Path& name) {
  return folder / name.relative_path();
}

bool Filesystem::RemoveAndPrune(const Path& folder, const Path& name, bool useOperationContext) {
  const bool result = RemoveIn(folder, name, false, useOperationContext);
  try {
    const Path relativeName = name.relative_path();
    if (!StaysInside(relativeName)) return result;
    for (Path rel = relativeName.parent_path(); !rel.empty() && rel != ".";
         rel = rel.parent_path()) {
      const Path directory = Join(folder, rel);
      if (!IsEmptyDirectory(directory, false)) break;
      if (!Remove(directory, false, useOperationContext)) break;
    }
  } catch (...) {
    // Pruning is tidying only; the file itself is gone either way.
  }
  return result;
}

bool Filesystem::Exists(const Path& path) {
  return Guarded(*this, "Exists", path, [&] {
    std::error_code ec;
    const bool exists = fs::exists(path, ec);
    Check(*this, ec, "Exists", path);
    return exists;
  });
}

bool Filesystem::ExistsNoThrow(const Path& path) {
  try {
    return Exists(path);
  } catch (...) {
    return false;
  }
}

Filesystem::Path Filesystem::Canonical(const Path& path) {
  return Guarded(*this, "Canonical", path, [&] {
    std::error_code ec;
    Path canonical = fs::canonical(path, ec);
    Check(*this, ec, "Canonical", path);
    return canonical;
  });
}

bool Filesystem::IsSamePath(const Path& a, const Path& b) {
  try {
    return Canonical(a).native() == Canonical(b).native();
  } catch (...) {
    return false;
  }
}

uint64_t Filesystem::FileSize(const Path& path) {
  return Guarded(*this, "FileSize", path, [&] {
    std::error_code ec;
    const uintmax_t size = fs::file_size(path, ec);
    Check(*this, ec, "FileSize", path);
    return static_cast<uint64_t>(size);
  });
}

uint64_t Filesystem::FileSizeOrZero(const Path& path) {
  try {
    return Exists(path) ? FileSize(path) : 0;
  } catch (...) {
    return 0;
  }
}

uint64_t Filesystem::AvailableSpace(const Path& path) {
  return Guarded(*this, "AvailableSpace", path, [&] {
    std::error_code ec;
    const fs::space_info info = fs::space(path, ec);
    Check(*this, ec, "AvailableSpace", path);
    return static_cast<uint64_t>(info.available);
  });
}

std::filesystem::directory_iterator Filesystem::OpenDirectory(const Path& path) {
  return Guarded(*this, "OpenDirectory", path, [&] {
    std::error_code ec;
    fs::directory_iterator it(path, ec);
    Check(*this, ec, "OpenDirectory", path);
    return it;
  });
}

bool Filesystem::IsEmptyDirectory(const Path& path, bool ignoreHiddenOrSystem) {
  return Guarded(*this, "IsEmptyDirectory", path, [&] {
    std::error_code ec;
    for (fs::directory_iterator it = OpenDirectory(path), end; it != end; it.increment(ec)) {
      Check(*this, ec, "IsEmptyDirectory", path);
      if (!ignoreHiddenOrSystem || !IsHiddenOrSystem(it->path())) return false;
    }
    Check(*this, ec, "IsEmptyDirectory", path);
    return true;
  });
}

bool Filesystem::CreateDirectoryIn(const Path& folder, const Path& name) {
  return CreateDirectory(Join(folder, name));
}

bool Filesystem::CreateDirectory(const Path& path) {
  return Guarded(*this, "CreateDirectory", path, [&] {
    std::error_code ec;
    const bool created = fs::create_directory(path, ec);
    Check(*this, ec, "CreateDirectory", path);
    return created;
  });
}

bool Filesystem::CreateDirectories(const Path& path) {
  return Guarded(*this, "CreateDirectories", path, [&] {
    std::error_code ec;
    const bool created = fs::create_directories(path, ec);
    Check(*this, ec, "CreateDirectories", path);
    return created;
  });
}

bool Filesystem::EnsureDirectory(const Path& path) {
  if (!Exists(path)) {
    CreateDirectories(path);
    return true;
  }
  // A file standing where the folder should be is not a folder that exists: saying so here
  // beats a puzzling failure when the first file is opened inside it.
  const bool isDirectory = Guarded(*this, "EnsureDirectory", path, [&] {
    std::error_code ec;
    const bool directory = fs::is_directory(path, ec);
    Check(*this, ec, "EnsureDirectory", path);
    return directory;
  });
  if (!isDirectory) ThrowForErrno(ENOTDIR, Describe("EnsureDirectory", path));
  return true;
}

bool Filesystem::EnsureDirectoryNoThrow(const Path& path) {
  try {
    return EnsureDirectory(path);
  } catch (...) {
    return false;
  }
}

void Filesystem::Copy(const Path& from, const Path& to, bool useOperationContext) {
  Guarded(*this, "Copy", from, [&] {
    OptionalContextLock lock(useOperationContext ? context_.get() : nullptr);
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(from, ec);
    Check(*this, ec, "Copy", from);
    switch (status.type()) {
      case fs::file_type::regular:
        fs::copy_file(from, to, fs::copy_options::none, ec);
        break;
      case fs::file_type::directory:
        // Like the source folder (its permissions), without its entries.
        if (!fs::create_directory(to, from, ec) && !ec) ThrowForErrno(EEXIST, Describe("Copy", to));
        break;
      case fs::file_type::symlink:
        fs::copy_symlink(from, to, ec);
        break;
      default:
        throw BadPathException(Describe("Copy", from) + ": not a file, folder or link");
    }
    Check(*this, ec, "Copy", to);
  });
}

void Filesystem::CreateSymlink(const Path& target, const Path& link) {
  Guarded(*this, "CreateSymlink", link, [&] {
    std::error_code ec;
    fs::create_symlink(target, link, ec);
    Check(*this, ec, "CreateSymlink", link);
  });
}

bool Filesystem::RemoveIn(const Path& folder, const Path& name, bool recursive,
                          bool useOperationContext) {
  return Remove(Join(folder, name), recursive, useOperationContext);
}

bool Filesystem::Remove(const Path& path, bool recursive, bool useOperationContext) {
  return Guarded(*this, "Remove", path, [&] {
    OptionalContextLock lock(useOperationContext ? context_.get() : nullptr);
    std::error_code ec;
    bool removed = false;
    if (recursive) {
      const uintmax_t count = fs::remove_all(path, ec);
      removed = !ec && count != 0 && count != static_cast<uintmax_t>(-1);
    } else {
      removed = fs::remove(path, ec);
    }
    Check(*this, ec, "Remove", path);
    return removed;
  });
}

std::shared_ptr<OperationContext> Filesystem::GetOperationContext(const Path&) { return context_; }

void Filesystem::ThrowForErrorCode(const std::error_code& code, const std::string& detail) {
  kiv::file::ThrowForErrorCode(code, detail);
}

}  // namespace kiv::file
