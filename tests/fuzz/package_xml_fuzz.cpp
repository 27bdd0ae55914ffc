// Fuzzes the package manifest load path: XML text to tree to validated package.
#include <boost/property_tree/ptree.hpp>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "kiv/manifest/manifest_exceptions.h"
#include "kiv/manifest/manifest_text_parser.h"
#include "kiv/manifest/standard_file_manifest.h"
#include "kiv/manifest/standard_package_manifest.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::istringstream input(std::string(reinterpret_cast<const char*>(data), size));
  try {
    boost::property_tree::ptree tree;
    kiv::ParseXmlManifest(input, tree);
    kiv::StandardPackageManifest package;
    package.Load(tree);
    // A loaded package must be internally consistent.
    uint64_t total = 0;
    for (const auto& file : package.GetFiles()) {
      if (file->GetChecksums().size() != file->GetChunkCount()) __builtin_trap();
      if (!kiv::StandardFileManifest::IsSafeRelativePath(file->GetPath())) __builtin_trap();
      total += file->GetSize();
    }
    if (total != package.GetTotalSize()) __builtin_trap();
    if (package.GetRunFiles().size() + package.GetOtherFiles().size() !=
        package.GetFiles().size()) {
      __builtin_trap();
    }
    if (!package.GetRun().empty() && package.GetRunFile() == nullptr) __builtin_trap();
    package.IsCountryAllowed("SE");
  } catch (const kiv::ManifestException&) {
  }
  return 0;
}
