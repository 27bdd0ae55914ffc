// The file manifest read from a package document's file element.
#pragma once

#include "kiv/manifest/file_manifest.h"

namespace kiv {

class StandardFileManifest : public FileManifest {
 public:
  // Throws ManifestParseException for a missing or invalid value (an unsafe path included) and
  // ManifestOverflowException when the chunk count does not fit.
  void Load(const boost::property_tree::ptree& tree) override;

  std::string GetPath() const override { return path_; }
  uint32_t GetChunkSize() const override { return chunkSize_; }
  uint64_t GetSize() const override { return size_; }
  const std::vector<uint32_t>& GetChecksums() const override { return checksums_; }

  // True for a relative path that stays inside the folder it is resolved against: not empty,
  // not absolute, no empty, "." or ".." segment, no NUL byte. Backslashes are ordinary
  // characters here.
  static bool IsSafeRelativePath(const std::string& path);

 private:
  std::string path_;
  uint32_t chunkSize_ = 0;
  uint64_t size_ = 0;
  std::vector<uint32_t> checksums_;
};

}  // namespace kiv
