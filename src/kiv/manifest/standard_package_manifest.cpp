// Loading and validating a package document.
#include "kiv/manifest/standard_package_manifest.h"

#include <algorithm>
#include <boost/property_tree/ptree.hpp>
#include <new>

#include "kiv/manifest/manifest_exceptions.h"
#include "kiv/manifest/standard_file_manifest.h"
#include "kiv/manifest/tree_values.h"

namespace kiv {

using manifest_detail::OptionalText;
using manifest_detail::RequiredText;

StandardPackageManifest::StandardPackageManifest() = default;
StandardPackageManifest::~StandardPackageManifest() = default;

void StandardPackageManifest::Load(const boost::property_tree::ptree& tree) {
  try {
    const auto package = tree.find("package");
    if (package == tree.not_found())
      throw ManifestParseException("package: missing package element");
    LoadPackage(package->second);
  } catch (const ManifestParseException&) {
    throw;
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception& e) {
    // Overflowing files and any failure of the tree itself read as an invalid package.
    throw ManifestParseException(std::string("package: ") + e.what());
  }
}

void StandardPackageManifest::LoadPackage(const boost::property_tree::ptree& package) {
  constexpr const char* kWhat = "package";
  id_ = RequiredText(package, "id", kWhat);
  name_ = RequiredText(package, "name", kWhat);
  partnerId_ = RequiredText(package, "partnerId", kWhat);
  versionId_ = RequiredText(package, "versionId", kWhat);
  run_ = OptionalText(package, "run", "");
  const auto active = package.find("isActive");
  isActive_ = true;
  if (active != package.not_found())
    isActive_ = manifest_detail::ParseBool(active->second.data()).value_or(true);

  const auto version = package.find("version");
  if (version != package.not_found()) {
    auto loaded = std::make_unique<PackageVersionManifest>();
    loaded->Load(version->second);
    version_ = std::move(loaded);
  }

  files_.clear();
  const auto files = package.find("files");
  if (files == package.not_found()) throw ManifestParseException("package: missing files");
  for (const auto& [key, child] : files->second) {
    if (key != "file") throw ManifestParseException("package: unexpected " + key + " in files");
    auto file = std::make_shared<StandardFileManifest>();
    file->Load(child);
    files_.push_back(std::move(file));
  }

  if (id_.empty() || name_.empty() || partnerId_.empty() || versionId_.empty()) {
    throw ManifestParseException("package: id, name, partnerId and versionId must not be empty");
  }

  runFile_.reset();
  runFiles_.clear();
  otherFiles_.clear();
  for (const auto& file : files_) {
    if (file->GetPath() == run_) {
      runFile_ = file;
      runFiles_.push_back(file);
    } else {
      otherFiles_.push_back(file);
    }
  }
  if (!run_.empty() && !runFile_)
    throw ManifestParseException("package: run names no file: " + run_);

  if (version_) {
    if (version_->GetId() != versionId_)
      throw ManifestParseException("package: version id differs from versionId");
    if (version_->GetRun() != run_)
      throw ManifestParseException("package: version run differs from run");
  }
}

bool StandardPackageManifest::IsCountryAllowed(const std::string& countryCode) const {
  if (!version_) return true;
  const auto& codes = version_->GetCountryCodes();
  const bool listed = std::find(codes.begin(), codes.end(), countryCode) != codes.end();
  switch (version_->GetPolicy()) {
    case GeofencePolicy::Whitelist:
      return listed;
    case GeofencePolicy::Blacklist:
      return !listed;
    default:
      return true;
  }
}

}  // namespace kiv
