// Reading values out of manifest trees.
#include "kiv/manifest/tree_values.h"

#include <boost/property_tree/ptree.hpp>

#include "kiv/manifest/manifest_exceptions.h"

namespace kiv::manifest_detail {
namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string Trim(const std::string& text) {
  size_t first = 0;
  size_t last = text.size();
  while (first < last && IsSpace(text[first])) ++first;
  while (last > first && IsSpace(text[last - 1])) --last;
  return text.substr(first, last - first);
}

}  // namespace

const std::string& RequiredText(const boost::property_tree::ptree& tree, const std::string& key,
                                const char* what) {
  const auto found = tree.find(key);
  if (found == tree.not_found())
    throw ManifestParseException(std::string(what) + ": missing " + key);
  return found->second.data();
}

std::string OptionalText(const boost::property_tree::ptree& tree, const std::string& key,
                         const std::string& fallback) {
  const auto found = tree.find(key);
  return found == tree.not_found() ? fallback : found->second.data();
}

std::optional<uint64_t> ParseUnsigned(const std::string& text, uint64_t max) {
  const std::string digits = Trim(text);
  if (digits.empty()) return std::nullopt;
  uint64_t value = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    const uint64_t digit = static_cast<uint64_t>(c - '0');
    if (value > (max - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  return value;
}

std::optional<bool> ParseBool(const std::string& text) {
  const std::string word = Trim(text);
  if (word == "1" || word == "true") return true;
  if (word == "0" || word == "false") return false;
  return std::nullopt;
}

}  // namespace kiv::manifest_detail
