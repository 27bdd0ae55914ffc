#include "kiv/locale/boost_locale.h"

#include <boost/locale/format.hpp>
#include <boost/locale/message.hpp>
#include <utility>

namespace kiv::locale {

BoostLocale::BoostLocale(std::string domain, std::string path)
    : domain_(std::move(domain)), path_(std::move(path)), generated_(std::locale::classic()) {}

std::string BoostLocale::Translate(const std::string& text) const {
  // Without the message facet (no catalog found or not yet set) the text stays as it is.
  if (!std::has_facet<boost::locale::message_format<char>>(generated_)) return text;
  return boost::locale::translate(text).str(generated_);
}

std::string BoostLocale::FormatDuration(int32_t hours, int32_t minutes, int32_t seconds) const {
  const auto fill = [this](const char* text, auto... values) {
    boost::locale::format format(Translate(text));
    ((format % values), ...);
    return format.str(generated_);
  };
  if (hours >= 2) {
    if (minutes >= 2) return fill("{1} hours, {2} minutes remaining", hours, minutes);
    if (minutes == 1) return fill("{1} hours, 1 minute remaining", hours);
    return fill("{1} hours remaining", hours);
  }
  if (hours == 1) {
    if (minutes >= 2) return fill("1 hour, {1} minutes remaining", minutes);
    if (minutes == 1) return fill("1 hour, 1 minute remaining");
    return fill("1 hour remaining");
  }
  if (minutes >= 2) return fill("{1} minutes remaining", minutes);
  if (minutes == 1) return fill("1 minute remaining");
  if (seconds >= 2) return fill("{1} seconds remaining", seconds);
  if (seconds == 1) return fill("1 second remaining");
  return fill("{1} seconds remaining", 0);
}

}  // namespace kiv::locale
