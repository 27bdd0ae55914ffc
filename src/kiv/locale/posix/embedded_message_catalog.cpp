#include "kiv/locale/posix/embedded_message_catalog.h"

#include <utility>

namespace kiv::locale::posix {

EmbeddedMessageCatalog::EmbeddedMessageCatalog(std::string domain, ResourceLookup lookup)
    : domain_(std::move(domain)), lookup_(std::move(lookup)) {}

void EmbeddedMessageCatalog::Register(const std::string& localeName, int resourceId) {
  registry_[GetPath() + "/" + localeName + "/LC_MESSAGES/" + GetDomain() + ".mo"] = resourceId;
}

std::vector<char> EmbeddedMessageCatalog::LoadFile(const std::string& fileName,
                                                   const std::string& /*encoding*/) const {
  const auto it = registry_.find(fileName);
  if (it == registry_.end() || !lookup_) return {};
  const std::string_view bytes = lookup_(it->second);
  return std::vector<char>(bytes.begin(), bytes.end());
}

}  // namespace kiv::locale::posix
