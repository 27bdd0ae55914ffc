// A Boost.Locale locale whose gettext catalogs are read through a MessageCatalog (for example the
// catalogs compiled into the program) instead of from the file system.
#pragma once

#include <string>

#include "kiv/locale/boost_locale.h"

namespace kiv::locale {

class MessageCatalog;

class CustomBoostLocale : public BoostLocale {
 public:
  // The catalog is not owned and must outlive the locale.
  CustomBoostLocale(const MessageCatalog* catalog, const std::string& localeName);

  // Builds the translating locale for the name; the empty name selects the user's default
  // locale (DefaultLocaleName).
  void SetLocale(const std::string& name) override;

  // The first non-empty of LC_CTYPE, LC_ALL and LANG; else the system's configured LANG
  // (/etc/locale.conf, /etc/default/locale); else "C".
  static std::string DefaultLocaleName();

 private:
  const MessageCatalog* catalog_;
};

}  // namespace kiv::locale
