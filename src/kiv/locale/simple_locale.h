// The locale interface: translation plus the formatting of texts, numbers, sizes and the time
// remaining that every user-visible text goes through.
#pragma once

#include <cstdint>
#include <string>

namespace kiv::locale {

class SimpleLocale {
 public:
  virtual ~SimpleLocale() = default;

  // The locale name last set; empty for the user's default.
  virtual std::string GetLocaleName() const = 0;
  virtual void SetLocale(const std::string& name) = 0;
  // The catalog's translation of the text, or the text itself.
  virtual std::string Translate(const std::string& text) const = 0;

  // Translate(pattern) with every "{1}" replaced by Translate(argument).
  virtual std::string Format(const std::string& pattern, const std::string& argument) const;
  // FormatRaw with the first value, then every "{2}" replaced by the second value.
  virtual std::string FormatRaw2(const std::string& pattern, const std::string& value1,
                                 const std::string& value2) const;
  // Translate(pattern) with every "{1}" replaced by the value unchanged.
  virtual std::string FormatRaw(const std::string& pattern, const std::string& value) const;
  // Fixed-point notation, "." as decimal separator, no grouping.
  virtual std::string FormatNumber(double value, int decimals) const;
  virtual std::string FormatPercent(double value, int decimals) const;
  // "N KB" below 1 MiB, "N.NN MB" below 1 GiB, else "N.NN GB".
  virtual std::string FormatSize(uint64_t bytes) const;
  // -1: "Calculating time remaining"; otherwise whole minutes rounded up past the first minute.
  virtual std::string FormatTimeRemaining(int32_t seconds) const;
  virtual std::string FormatDuration(int32_t hours, int32_t minutes, int32_t seconds) const = 0;
};

// Replaces every occurrence of a placeholder such as "{1}" in text.
std::string ReplaceAll(std::string text, const std::string& placeholder, const std::string& value);

}  // namespace kiv::locale
