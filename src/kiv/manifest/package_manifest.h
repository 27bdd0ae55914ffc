// A package: the files one transfer downloads, its owner, version and country rule.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "kiv/manifest/file_manifest.h"
#include "kiv/manifest/input_manifest.h"

namespace kiv {

using FileManifestList = std::vector<std::shared_ptr<const FileManifest>>;

class PackageManifest : public InputManifest {
 public:
  virtual std::string GetId() const = 0;
  virtual std::string GetName() const = 0;
  virtual std::string GetPartnerId() const = 0;
  virtual std::string GetVersionId() const = 0;
  virtual bool IsActive() const = 0;
  // Every file, in document order.
  virtual const FileManifestList& GetFiles() const = 0;
  // The files whose path equals the run path.
  virtual const FileManifestList& GetRunFiles() const = 0;
  // Every other file, in document order.
  virtual const FileManifestList& GetOtherFiles() const = 0;
  // The path of the program to run; may be empty.
  virtual std::string GetRun() const = 0;
  // The (last) file whose path is the run path; null when there is none.
  virtual std::shared_ptr<const FileManifest> GetRunFile() const = 0;
  // The geofence decision for a country code, compared byte for byte.
  virtual bool IsCountryAllowed(const std::string& countryCode) const = 0;

  // The sum of every file's size: the transfer's total byte count.
  uint64_t GetTotalSize() const;
};

}  // namespace kiv
