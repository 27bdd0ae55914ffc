// Chunk count arithmetic shared by every file manifest.
#include "kiv/manifest/file_manifest.h"

#include <limits>

#include "kiv/manifest/manifest_exceptions.h"

namespace kiv {

uint32_t FileManifest::GetChunkCount() const { return ChunkCount(GetChunkSize(), GetSize()); }

uint32_t FileManifest::ChunkCount(uint32_t chunkSize, uint64_t size) {
  if (chunkSize == 0) return 0;
  if (size > std::numeric_limits<uint64_t>::max() - (chunkSize - 1)) {
    throw ManifestOverflowException("file size " + std::to_string(size) +
                                    " overflows when rounded up to chunks of " +
                                    std::to_string(chunkSize));
  }
  const uint64_t count = (size + chunkSize - 1) / chunkSize;
  if (count > kMaxChunkCount) {
    throw ManifestOverflowException("file has " + std::to_string(count) + " chunks; at most " +
                                    std::to_string(kMaxChunkCount) + " are allowed");
  }
  return static_cast<uint32_t>(count);
}

}  // namespace kiv
