// Loading one file element of a package document.
#include "kiv/manifest/standard_file_manifest.h"

#include <boost/property_tree/ptree.hpp>
#include <limits>

#include "kiv/manifest/manifest_exceptions.h"
#include "kiv/manifest/tree_values.h"

namespace kiv {
namespace {

using manifest_detail::ParseUnsigned;
using manifest_detail::RequiredText;

constexpr const char* kWhat = "file";

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool StandardFileManifest::IsSafeRelativePath(const std::string& path) {
  if (path.empty() || path.front() == '/') return false;
  if (path.find('\0') != std::string::npos) return false;
  size_t start = 0;
  while (true) {
    const size_t slash = path.find('/', start);
    const std::string segment =
        path.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
    if (segment.empty() || segment == "." || segment == "..") return false;
    if (slash == std::string::npos) return true;
    start = slash + 1;
  }
}

void StandardFileManifest::Load(const boost::property_tree::ptree& tree) {
  path_ = RequiredText(tree, "path", kWhat);
  const auto chunkSize =
      ParseUnsigned(RequiredText(tree, "chunksize", kWhat), std::numeric_limits<uint32_t>::max());
  if (!chunkSize) throw ManifestParseException("file: chunksize is not an unsigned 32-bit number");
  chunkSize_ = static_cast<uint32_t>(*chunkSize);
  const auto size =
      ParseUnsigned(RequiredText(tree, "size", kWhat), std::numeric_limits<uint64_t>::max());
  if (!size) throw ManifestParseException("file: size is not an unsigned 64-bit number");
  size_ = *size;

  // The path decides where bytes are written, so it must not lead out of the destination.
  if (path_.empty()) throw ManifestParseException("file: empty path");
  if (!IsSafeRelativePath(path_)) throw ManifestParseException("file: unsafe path " + path_);
  if (chunkSize_ == 0) throw ManifestParseException("file: chunksize 0 for " + path_);

  const uint32_t count = GetChunkCount();
  const std::string& text = RequiredText(tree, "checksums", kWhat);
  checksums_.clear();
  if (text.size() != uint64_t{count} * 8) {
    throw ManifestParseException("file: " + std::to_string(count) + " chunks need " +
                                 std::to_string(uint64_t{count} * 8) + " checksum digits, not " +
                                 std::to_string(text.size()) + " for " + path_);
  }
  checksums_.reserve(count);
  for (size_t at = 0; at < text.size(); at += 8) {
    uint32_t value = 0;
    for (size_t i = at; i < at + 8; ++i) {
      const int digit = HexDigit(text[i]);
      // A checksum that is not hexadecimal could never verify, so the chunk could never
      // complete: the manifest is refused instead.
      if (digit < 0) throw ManifestParseException("file: checksum is not hexadecimal for " + path_);
      value = (value << 4) | static_cast<uint32_t>(digit);
    }
    checksums_.push_back(value);
  }
}

}  // namespace kiv
