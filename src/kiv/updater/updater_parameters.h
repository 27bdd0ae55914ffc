// The updater's launch parameters: the build's string table, the temporary folder and the
// command line, with per-locale values and the engine settings derived from them.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "kiv/engine/engine_settings.h"

namespace kiv::updater {

// String resources by id (UTF-8); a missing id is a missing resource.
using StringTable = std::map<int, std::string>;
// Ordered (key, value) entries of a per-locale table such as "de=Nord;fr=Nord".
using LocaleTable = std::vector<std::pair<std::string, std::string>>;

// Splits a per-locale table: entries separated by ";", key and value by the first "=". Empty
// entries and entries without "=" are skipped; nothing is trimmed.
LocaleTable SplitLocaleTable(const std::string& text);

// Reads the number of a "log=" argument the way the C library's strtoul does with a 32-bit
// unsigned long: leading white space, an optional sign, decimal digits up to the first
// non-digit; a minus sign negates modulo 2^32. False when there is no number at the start or it
// exceeds 4294967295.
bool ParseUnsignedLong32(const std::string& text, uint32_t* value);

struct UpdaterParameters {
  bool elevate = true;
  std::string programPath;
  std::string manifestHost;
  std::string partnerId;
  std::string skinPartnerId;
  std::string relativeDataPath;
  std::string packageId;
  std::string dataFolder;
  std::string skinRootFolder;
  std::string productName;
  std::string folderName;
  std::string skinPackageId;
  std::string skinVersion;
  std::string launchPackageId;
  std::string packageVersion;
  std::string fallbackVersion;
  std::string defaultLocale;
  int32_t logLevel = -9;
  LocaleTable languages;

  // Every field at its default: elevate true, both versions "?", log level -9.
  UpdaterParameters();

  // Loads the parameters in the updater's order: string resources, the data folder below the
  // temporary folder (the relative path alone when tempFolder is empty), the remaining
  // resources, the arguments (argument 0 is the program path and is tested like the rest), and
  // the language table.
  static UpdaterParameters Load(const StringTable& strings, const std::string& tempFolder,
                                const std::string& relativeDataPath,
                                const std::vector<std::string>& arguments);

  // The value of a plain or per-locale text for a locale, falling back once to defaultLocale.
  std::string LocalizedValue(const std::string& localeName, const std::string& text) const;
  std::string ProductName(const std::string& localeName) const;
  std::string FolderName(const std::string& localeName) const;
  std::string SkinPackageId(const std::string& localeName) const;
  std::string LaunchPackageId(const std::string& localeName) const;
  // skinRootFolder joined with the localized skin package identifier.
  std::string SkinFolder(const std::string& localeName) const;

  // packageVersion, or fallbackVersion while packageVersion is "?" and a fallback exists.
  std::string Version() const;
  // defaultLocale when there is a language table, else the empty string.
  std::string DefaultLocale() const;

  // The engine settings of an updater run, starting from the given defaults.
  EngineSettings ToEngineSettings(EngineSettings settings) const;
};

// Resource ids of the string table.
enum StringResource : int {
  kManifestHostString = 102,
  kPartnerIdString = 103,
  kSkinPartnerIdString = 104,
  kLaunchPackageIdString = 105,
  kFallbackVersionString = 106,
  kSkinPackageIdString = 107,
  kPackageIdString = 108,
  kProductNameString = 109,
  kFolderNameString = 110,
  kLanguagesString = 112,
  kDefaultLocaleString = 113,
};

}  // namespace kiv::updater
