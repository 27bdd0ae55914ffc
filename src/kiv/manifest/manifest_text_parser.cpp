// Manifest text readers: Boost.PropertyTree's XML and JSON readers behind a nesting bound.
#include "kiv/manifest/manifest_text_parser.h"

#include <algorithm>
#include <boost/property_tree/json_parser.hpp>
#include <boost/property_tree/ptree.hpp>
#include <boost/property_tree/xml_parser.hpp>
#include <cstring>
#include <istream>
#include <iterator>
#include <new>
#include <sstream>
#include <utility>

#include "kiv/manifest/manifest_exceptions.h"

namespace kiv {
namespace {

using boost::property_tree::ptree;

std::string ReadAll(std::istream& stream) {
  std::string text{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
  if (stream.bad()) throw ManifestParseException("manifest text could not be read");
  return text;
}

bool StartsWith(const std::string& text, size_t at, const char* prefix) {
  return text.compare(at, std::strlen(prefix), prefix) == 0;
}

// Finds end (a terminator) from at; returns the index after it or npos.
size_t SkipPast(const std::string& text, size_t at, const char* end) {
  const size_t found = text.find(end, at);
  return found == std::string::npos ? found : found + std::strlen(end);
}

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Walks depth first; at each node the children are treated first, then the attributes are
// appended as children, so a real child element of the same name is found first.
void CopyAttributes(ptree& node) {
  for (auto& [key, child] : node) {
    if (key != "<xmlattr>") CopyAttributes(child);
  }
  const auto holder = node.find("<xmlattr>");
  if (holder == node.not_found()) return;
  const ptree attributes = holder->second;
  for (const auto& attribute : attributes) node.push_back(attribute);
}

void CheckDepth(size_t depth, const char* kind) {
  if (depth > kMaxManifestDepth) {
    throw ManifestParseException(std::string(kind) + " manifest nests deeper than " +
                                 std::to_string(kMaxManifestDepth) + " levels");
  }
}

}  // namespace

// Mirrors how the XML reader tokenises (comments, CDATA, declarations, DOCTYPE, quoted
// attribute values), so that the depth it reports is the depth the reader recurses to.
size_t XmlNestingDepth(const std::string& text) {
  size_t depth = 0;
  size_t deepest = 0;
  size_t at = 0;
  const size_t n = text.size();
  while (at < n) {
    if (text[at] == '\0') break;  // the reader stops at the first NUL
    if (text[at] != '<') {
      ++at;
      continue;
    }
    ++at;
    if (at >= n) break;
    if (text[at] == '/') {
      if (depth > 0) --depth;
      at = text.find('>', at);
      if (at == std::string::npos) break;
      ++at;
    } else if (text[at] == '?') {
      at = SkipPast(text, at + 1, "?>");
    } else if (text[at] == '!') {
      if (StartsWith(text, at, "!--")) {
        at = SkipPast(text, at + 3, "-->");
      } else if (StartsWith(text, at, "![CDATA[")) {
        at = SkipPast(text, at + 8, "]]>");
      } else if (StartsWith(text, at, "!DOCTYPE") && at + 8 < n && IsXmlSpace(text[at + 8])) {
        // The DOCTYPE ends at the first '>' outside brackets.
        at += 9;
        size_t brackets = 0;
        while (at < n && !(text[at] == '>' && brackets == 0)) {
          if (text[at] == '[') ++brackets;
          if (text[at] == ']' && brackets > 0) --brackets;
          ++at;
        }
        if (at < n) ++at;
      } else {
        at = text.find('>', at);
        if (at != std::string::npos) ++at;
      }
    } else {
      // A start tag: skip to its '>' outside quoted attribute values.
      ++depth;
      deepest = std::max(deepest, depth);
      char quote = 0;
      while (at < n) {
        const char c = text[at];
        if (quote != 0) {
          if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
          quote = c;
        } else if (c == '>') {
          break;
        }
        ++at;
      }
      if (at >= n) break;
      if (text[at - 1] == '/' && depth > 0) --depth;  // an empty element closes itself
      ++at;
    }
    if (at == std::string::npos) break;
  }
  return deepest;
}

size_t JsonNestingDepth(const std::string& text) {
  size_t depth = 0;
  size_t deepest = 0;
  bool inString = false;
  for (size_t at = 0; at < text.size(); ++at) {
    const char c = text[at];
    if (inString) {
      if (c == '\\') {
        ++at;
      } else if (c == '"') {
        inString = false;
      }
      continue;
    }
    if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      ++depth;
      deepest = std::max(deepest, depth);
    } else if ((c == ']' || c == '}') && depth > 0) {
      --depth;
    }
  }
  return deepest;
}

void ParseXmlManifest(std::istream& stream, ptree& tree) {
  std::string text = ReadAll(stream);
  CheckDepth(XmlNestingDepth(text), "XML");
  try {
    std::istringstream input(std::move(text));
    ptree parsed;
    boost::property_tree::read_xml(input, parsed);
    CopyAttributes(parsed);
    tree.swap(parsed);
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception& e) {
    throw ManifestParseException(std::string("XML manifest: ") + e.what());
  }
}

void ParseJsonManifest(std::istream& stream, ptree& tree) {
  std::string text = ReadAll(stream);
  CheckDepth(JsonNestingDepth(text), "JSON");
  try {
    std::istringstream input(std::move(text));
    ptree parsed;
    boost::property_tree::read_json(input, parsed);
    tree.swap(parsed);
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception& e) {
    throw ManifestParseException(std::string("JSON manifest: ") + e.what());
  }
}

}  // namespace kiv
