// The manifest exception family: every failure to locate, fetch, parse or store a manifest.
// Callers tell the cases apart by type; the text carries the detail for the work log.
#pragma once

#include <stdexcept>
#include <string>

namespace kiv {

// Base of the family; never raised itself.
class ManifestException : public std::runtime_error {
 public:
  explicit ManifestException(const std::string& message = std::string())
      : std::runtime_error(message) {}
};

// A tree or a text cannot be turned into a valid manifest.
class ManifestParseException : public ManifestException {
 public:
  using ManifestException::ManifestException;
};

// A file's chunk count does not fit the engine's limits.
class ManifestOverflowException : public ManifestException {
 public:
  using ManifestException::ManifestException;
};

// A manifest location cannot be built, the server says the manifest does not exist, or the
// manifest fetched is not the one asked for; also a stored record's file problems.
class ManifestLocatorException : public ManifestException {
 public:
  using ManifestException::ManifestException;
};

// Fetching the manifest text failed (network, server error, too large), or reading or writing
// a stored record failed.
class ManifestStreamException : public ManifestException {
 public:
  using ManifestException::ManifestException;
};

// Fetching was cancelled.
class ManifestAbortedException : public ManifestException {
 public:
  using ManifestException::ManifestException;
};

}  // namespace kiv
