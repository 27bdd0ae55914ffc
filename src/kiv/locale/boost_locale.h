// A locale that translates through Boost.Locale's gettext message facet.
#pragma once

#include <locale>
#include <string>

#include "kiv/locale/simple_locale.h"

namespace kiv::locale {

class BoostLocale : public SimpleLocale {
 public:
  BoostLocale(std::string domain, std::string path);

  std::string GetLocaleName() const override { return localeName_; }
  std::string Translate(const std::string& text) const override;
  std::string FormatDuration(int32_t hours, int32_t minutes, int32_t seconds) const override;

 protected:
  std::string domain_;
  std::string path_;
  std::string localeName_;
  // The translating locale: a base locale for the name combined with the message facet.
  std::locale generated_;
};

}  // namespace kiv::locale
