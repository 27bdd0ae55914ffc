// Reading values out of manifest trees: required children and strict numbers.
#pragma once

#include <boost/property_tree/ptree_fwd.hpp>
#include <cstdint>
#include <optional>
#include <string>

namespace kiv::manifest_detail {

// The text of the first child named key; ManifestParseException (naming what) when missing.
const std::string& RequiredText(const boost::property_tree::ptree& tree, const std::string& key,
                                const char* what);
// The text of the first child named key, or fallback when there is none.
std::string OptionalText(const boost::property_tree::ptree& tree, const std::string& key,
                         const std::string& fallback);

// Decimal digits only, optionally surrounded by whitespace; nothing when the text is anything
// else or the value passes max. No sign is accepted, so "-1" never becomes a huge number.
std::optional<uint64_t> ParseUnsigned(const std::string& text, uint64_t max);

// "1" or "true" gives true, "0" or "false" gives false (surrounding whitespace allowed);
// anything else gives nothing.
std::optional<bool> ParseBool(const std::string& text);

}  // namespace kiv::manifest_detail
