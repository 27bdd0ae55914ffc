#include "kiv/locale/simple_locale.h"

#include <iomanip>
#include <locale>
#include <sstream>

namespace kiv::locale {

std::string ReplaceAll(std::string text, const std::string& placeholder, const std::string& value) {
  if (placeholder.empty()) return text;
  for (size_t at = text.find(placeholder); at != std::string::npos;
       at = text.find(placeholder, at + value.size())) {
    text.replace(at, placeholder.size(), value);
  }
  return text;
}

std::string SimpleLocale::Format(const std::string& pattern, const std::string& argument) const {
  return ReplaceAll(Translate(pattern), "{1}", Translate(argument));
}

std::string SimpleLocale::FormatRaw2(const std::string& pattern, const std::string& value1,
                                     const std::string& value2) const {
  return ReplaceAll(FormatRaw(pattern, value1), "{2}", value2);
}

std::string SimpleLocale::FormatRaw(const std::string& pattern, const std::string& value) const {
  return ReplaceAll(Translate(pattern), "{1}", value);
}

std::string SimpleLocale::FormatNumber(double value, int decimals) const {
  // The classic locale: no grouping and "." whatever the process locale says.
  std::ostringstream out;
  out.imbue(std::locale::classic());
  out << std::fixed << std::setprecision(decimals < 0 ? 0 : decimals) << value;
  return out.str();
}

std::string SimpleLocale::FormatPercent(double value, int decimals) const {
  return FormatNumber(value * 100.0, decimals) + "%";
}

std::string SimpleLocale::FormatSize(uint64_t bytes) const {
  const double n = static_cast<double>(bytes);
  if (bytes < 1048576ull) return FormatNumber(n / 1024.0, 0) + " KB";
  if (bytes < 1073741824ull) return FormatNumber(n / 1048576.0, 2) + " MB";
  return FormatNumber(n / 1073741824.0, 2) + " GB";
}

std::string SimpleLocale::FormatTimeRemaining(int32_t seconds) const {
  if (seconds == -1) return Translate("Calculating time remaining");
  // Past the first full minute the minutes are rounded up. Widen so INT32_MAX cannot overflow.
  int64_t s = seconds;
  if (s > 60) s += 60;
  const int64_t hours = s / 3600;
  const int64_t minutes = (s % 3600) / 60;
  const int64_t secs = s % 60;
  return FormatDuration(static_cast<int32_t>(hours), static_cast<int32_t>(minutes),
                        static_cast<int32_t>(secs));
}

}  // namespace kiv::locale
