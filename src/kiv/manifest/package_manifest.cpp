// Operations shared by every package manifest.
#include "kiv/manifest/package_manifest.h"

namespace kiv {

uint64_t PackageManifest::GetTotalSize() const {
  uint64_t total = 0;
  for (const auto& file : GetFiles()) total += file->GetSize();
  return total;
}

}  // namespace kiv
