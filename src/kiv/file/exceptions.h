// The file exception family: every operating-system error of the storage layer becomes one of
// these. They carry no text of their own; callers tell the cases apart by type.
#pragma once

#include <exception>

namespace kiv::file {

class Exception : public std::exception {
 public:
  const char* what() const noexcept override { return "kiv::file::Exception"; }
};

// The path or an argument is malformed, or the operation is not supported on it.
class BadPathException : public Exception {
 public:
  const char* what() const noexcept override { return "kiv::file::BadPathException"; }
};

// The file, folder or device does not exist.
class NotFoundException : public Exception {
 public:
  const char* what() const noexcept override { return "kiv::file::NotFoundException"; }
};

// Access denied, read-only, or a volume query failed.
class InaccessibleException : public Exception {
 public:
  const char* what() const noexcept override { return "kiv::file::InaccessibleException"; }
};

// The disk is full or the file is too large for it.
class InsufficientSpaceException : public Exception {
 public:
  const char* what() const noexcept override { return "kiv::file::InsufficientSpaceException"; }
};

// The file is locked, already exists, or the folder is not empty.
class InUseException : public Exception {
 public:
  const char* what() const noexcept override { return "kiv::file::InUseException"; }
};

// A memory map or view cannot be made, or touching a view failed.
class InvalidMapException : public Exception {
 public:
  const char* what() const noexcept override { return "kiv::file::InvalidMapException"; }
};

// A position or range lies outside a bounded object.
class OutOfBoundsException : public Exception {
 public:
  const char* what() const noexcept override { return "kiv::file::OutOfBoundsException"; }
};

// Any other failure.
class UnknownException : public Exception {
 public:
  const char* what() const noexcept override { return "kiv::file::UnknownException"; }
};

}  // namespace kiv::file
