// The file exception family: every operating-system error of the storage layer becomes one of
// these. Callers tell the cases apart by type; the optional detail (operation, path, system
// message) is for the work log only.
#pragma once

#include <exception>
#include <memory>
#include <string>

namespace kiv::file {

class Exception : public std::exception {
 public:
  Exception() : Exception("kiv::file::Exception", std::string()) {}
  explicit Exception(std::string detail) : Exception("kiv::file::Exception", std::move(detail)) {}

  // "kiv::file::<Class>" or "kiv::file::<Class>: <detail>".
  const char* what() const noexcept override;
  // The operation and path that failed; empty when the thrower gave none.
  std::string Detail() const;

 protected:
  Exception(const char* kind, std::string detail);

 private:
  // Shared so that copying an exception never throws.
  std::shared_ptr<const std::string> message_;
  size_t detailOffset_ = 0;
};

#define KIV_FILE_EXCEPTION(Name)                                                             \
  class Name : public Exception {                                                            \
   public:                                                                                   \
    Name() : Exception("kiv::file::" #Name, std::string()) {}                                \
    explicit Name(std::string detail) : Exception("kiv::file::" #Name, std::move(detail)) {} \
  }

// The path or an argument is malformed, or the operation is not supported on it.
KIV_FILE_EXCEPTION(BadPathException);
// The file, folder or device does not exist.
KIV_FILE_EXCEPTION(NotFoundException);
// Access denied, read-only, or a volume query failed.
KIV_FILE_EXCEPTION(InaccessibleException);
// The disk is full or the file is too large for it.
KIV_FILE_EXCEPTION(InsufficientSpaceException);
// The file is locked, already exists, or the folder is not empty.
KIV_FILE_EXCEPTION(InUseException);
// A memory map or view cannot be made, or touching a view failed (an I/O error under it).
KIV_FILE_EXCEPTION(InvalidMapException);
// A position or range lies outside a bounded object.
KIV_FILE_EXCEPTION(OutOfBoundsException);
// Any other failure.
KIV_FILE_EXCEPTION(UnknownException);

#undef KIV_FILE_EXCEPTION

}  // namespace kiv::file
