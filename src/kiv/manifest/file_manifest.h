// One file of a package: where it goes, how large it is, and the checksum of every chunk.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "kiv/manifest/input_manifest.h"

namespace kiv {

class FileManifest : public InputManifest {
 public:
  // Largest number of chunks a file may have (2^29 - 1).
  static constexpr uint64_t kMaxChunkCount = 536870911;

  virtual std::string GetPath() const = 0;
  virtual uint32_t GetChunkSize() const = 0;
  virtual uint64_t GetSize() const = 0;
  virtual const std::vector<uint32_t>& GetChecksums() const = 0;

  // ceil(size / chunk size); 0 for a chunk size of 0. Throws ManifestOverflowException when the
  // rounding overflows 64 bits or the count passes kMaxChunkCount.
  uint32_t GetChunkCount() const;
  static uint32_t ChunkCount(uint32_t chunkSize, uint64_t size);
};

}  // namespace kiv
