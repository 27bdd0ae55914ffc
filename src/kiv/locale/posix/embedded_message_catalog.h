// The message catalog over the catalogs compiled into the program, keyed by resource id.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "kiv/locale/message_catalog.h"

namespace kiv::locale::posix {

class EmbeddedMessageCatalog : public MessageCatalog {
 public:
  // Finds the bytes of the embedded catalog with a resource id; empty when there is none.
  using ResourceLookup = std::function<std::string_view(int resourceId)>;

  EmbeddedMessageCatalog(std::string domain, ResourceLookup lookup);

  std::string GetPath() const override { return std::string(); }
  std::string GetDomain() const override { return domain_; }
  std::vector<char> LoadFile(const std::string& fileName,
                             const std::string& encoding) const override;

  // Maps the catalog file that the locale asks for under this locale name to a resource:
  // GetPath() + "/" + localeName + "/LC_MESSAGES/" + GetDomain() + ".mo".
  void Register(const std::string& localeName, int resourceId);

 private:
  std::string domain_;
  ResourceLookup lookup_;
  std::map<std::string, int> registry_;
};

}  // namespace kiv::locale::posix
