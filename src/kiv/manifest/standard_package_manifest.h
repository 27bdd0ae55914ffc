// The package manifest read from a package document (root element "package").
#pragma once

#include <memory>

#include "kiv/manifest/package_manifest.h"
#include "kiv/manifest/package_version_manifest.h"

namespace kiv {

class StandardPackageManifest : public PackageManifest {
 public:
  StandardPackageManifest();
  ~StandardPackageManifest() override;

  // Any failure, including a file whose chunk count overflows, is a ManifestParseException.
  void Load(const boost::property_tree::ptree& tree) override;

  std::string GetId() const override { return id_; }
  std::string GetName() const override { return name_; }
  std::string GetPartnerId() const override { return partnerId_; }
  std::string GetVersionId() const override { return versionId_; }
  bool IsActive() const override { return isActive_; }
  const FileManifestList& GetFiles() const override { return files_; }
  const FileManifestList& GetRunFiles() const override { return runFiles_; }
  const FileManifestList& GetOtherFiles() const override { return otherFiles_; }
  std::string GetRun() const override { return run_; }
  std::shared_ptr<const FileManifest> GetRunFile() const override { return runFile_; }
  bool IsCountryAllowed(const std::string& countryCode) const override;

  // The version element; null when the document has none.
  const PackageVersionManifest* GetVersion() const { return version_.get(); }

 private:
  void LoadPackage(const boost::property_tree::ptree& package);

  std::string id_;
  std::string name_;
  std::string partnerId_;
  std::string versionId_;
  std::string run_;
  bool isActive_ = true;
  std::shared_ptr<const FileManifest> runFile_;
  FileManifestList files_;
  FileManifestList runFiles_;
  FileManifestList otherFiles_;
  std::unique_ptr<PackageVersionManifest> version_;
};

}  // namespace kiv
