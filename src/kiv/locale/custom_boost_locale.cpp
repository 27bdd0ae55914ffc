#include "kiv/locale/custom_boost_locale.h"

#include <boost/locale/generator.hpp>
#include <boost/locale/gnu_gettext.hpp>
#include <boost/locale/info.hpp>
#include <cstdlib>
#include <fstream>

#include "kiv/locale/message_catalog.h"

namespace kiv::locale {

namespace {

// LANG from a system locale configuration file ("LANG=de_DE.UTF-8", optionally quoted).
std::string ReadConfiguredLang(const char* file) {
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("LANG=", 0) != 0) continue;
    std::string value = line.substr(5);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
      value = value.substr(1, value.size() - 2);
    }
    return value;
  }
  return std::string();
}

std::locale GenerateBase(const std::string& name) {
  boost::locale::generator generator;
  try {
    return generator(name);
  } catch (const std::exception&) {
    // A name the backend refuses is treated like the untranslated default.
    return generator("C");
  }
}

}  // namespace

CustomBoostLocale::CustomBoostLocale(const MessageCatalog* catalog, const std::string& localeName)
    : BoostLocale(catalog->GetDomain(), catalog->GetPath()), catalog_(catalog) {
  SetLocale(localeName);
}

std::string CustomBoostLocale::DefaultLocaleName() {
  for (const char* variable : {"LC_CTYPE", "LC_ALL", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') return value;
  }
  for (const char* file : {"/etc/locale.conf", "/etc/default/locale"}) {
    std::string lang = ReadConfiguredLang(file);
    if (!lang.empty()) return lang;
  }
  return "C";
}

void CustomBoostLocale::SetLocale(const std::string& name) {
  localeName_ = name;
  const std::locale base = GenerateBase(name.empty() ? DefaultLocaleName() : name);
  const auto& info = std::use_facet<boost::locale::info>(base);

  boost::locale::gnu_gettext::messages_info messages;
  messages.language = info.language();
  messages.country = info.country();
  messages.variant = info.variant();
  // Every text of the program is UTF-8, whatever encoding the locale name carries.
  messages.encoding = "UTF-8";
  messages.paths.push_back(path_);
  messages.domains.push_back(boost::locale::gnu_gettext::messages_info::domain(domain_));
  const MessageCatalog* catalog = catalog_;
  messages.callback = [catalog](const std::string& fileName, const std::string& encoding) {
    return catalog->LoadFile(fileName, encoding);
  };
  generated_ = std::locale(base, boost::locale::gnu_gettext::create_messages_facet<char>(messages));
}

}  // namespace kiv::locale
