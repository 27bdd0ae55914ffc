// Turning manifest text (XML or JSON) into the property tree the manifests load from.
#pragma once

#include <boost/property_tree/ptree_fwd.hpp>
#include <cstddef>
#include <iosfwd>
#include <string>

namespace kiv {

// Deepest element or array/object nesting a manifest text may have. Real manifests nest a few
// levels; the bound keeps the recursive readers far from the end of a thread's stack.
inline constexpr size_t kMaxManifestDepth = 64;

// XML: each element a child keyed by its name, its concatenated text as value, comments under
// "<xmlcomment>", attributes under "<xmlattr>" and also copied as children after the element's
// real children. Throws ManifestParseException for malformed or too deeply nested text.
void ParseXmlManifest(std::istream& stream, boost::property_tree::ptree& tree);

// JSON: members as children, array elements as children with empty keys, scalars as text.
// Throws ManifestParseException for malformed or too deeply nested text.
void ParseJsonManifest(std::istream& stream, boost::property_tree::ptree& tree);

// The nesting depth the XML reader would reach on the text (up to where it would fail).
size_t XmlNestingDepth(const std::string& text);
// The nesting depth the JSON reader would reach on the text (up to where it would fail).
size_t JsonNestingDepth(const std::string& text);

}  // namespace kiv
