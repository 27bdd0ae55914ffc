// Where the locale finds its gettext catalogs: a folder prefix, a text domain and a loader.
#pragma once

#include <string>
#include <vector>

namespace kiv::locale {

class MessageCatalog {
 public:
  virtual ~MessageCatalog() = default;
  // The folder prefix of catalog file names.
  virtual std::string GetPath() const = 0;
  // The text domain.
  virtual std::string GetDomain() const = 0;
  // The bytes of the named catalog file; empty when there is no such file. The encoding is the
  // one the locale asks for and may be ignored.
  virtual std::vector<char> LoadFile(const std::string& fileName,
                                     const std::string& encoding) const = 0;
};

}  // namespace kiv::locale
