#include "kiv/updater/updater_parameters.h"

#include <filesystem>
#include <limits>

#include "kiv/engine/constants.h"

namespace kiv::updater {

namespace {

// A string resource holds at most 254 characters; longer ones arrive cut. Characters are
// counted as Unicode code points so a multi-byte character is never split.
constexpr size_t kMaxResourceCharacters = 254;

std::string CutToResourceLength(const std::string& text) {
  size_t characters = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if ((byte & 0xC0) != 0x80) {  // the first byte of a character
      if (characters == kMaxResourceCharacters) return text.substr(0, i);
      ++characters;
    }
  }
  return text;
}

std::string ReadString(const StringTable& strings, int id) {
  const auto it = strings.find(id);
  return it == strings.end() ? std::string() : CutToResourceLength(it->second);
}

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

std::string Join(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return (std::filesystem::path(folder) / name).string();
}

}  // namespace

LocaleTable SplitLocaleTable(const std::string& text) {
  LocaleTable entries;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(';', start);
    if (end == std::string::npos) end = text.size();
    const std::string entry = text.substr(start, end - start);
    const size_t equals = entry.find('=');
    if (!entry.empty() && equals != std::string::npos) {
      entries.emplace_back(entry.substr(0, equals), entry.substr(equals + 1));
    }
    start = end + 1;
  }
  return entries;
}

bool ParseUnsignedLong32(const std::string& text, uint32_t* value) {
  size_t i = 0;
  // The C locale's white space.
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  const size_t digitsStart = i;
  uint64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + static_cast<uint64_t>(text[i] - '0');
    if (magnitude > std::numeric_limits<uint32_t>::max()) return false;
  }
  if (i == digitsStart) return false;
  const auto result = static_cast<uint32_t>(magnitude);
  *value = negative ? static_cast<uint32_t>(0u - result) : result;
  return true;
}

UpdaterParameters::UpdaterParameters()
    : skinVersion(Unspecified), packageVersion(Unspecified) {}

UpdaterParameters UpdaterParameters::Load(const StringTable& strings,
                                          const std::string& tempFolder,
                                          const std::string& relativeDataPath,
                                          const std::vector<std::string>& arguments) {
  UpdaterParameters p;
  p.relativeDataPath = relativeDataPath;

  p.manifestHost = ReadString(strings, kManifestHostString);
  p.partnerId = ReadString(strings, kPartnerIdString);
  p.skinPartnerId = ReadString(strings, kSkinPartnerIdString);
  p.productName = ReadString(strings, kProductNameString);
  p.folderName = ReadString(strings, kFolderNameString);
  p.packageId = ReadString(strings, kPackageIdString);

  p.dataFolder = Join(tempFolder, relativeDataPath);
  p.skinRootFolder = p.dataFolder;

  p.skinPackageId = ReadString(strings, kSkinPackageIdString);
  p.launchPackageId = ReadString(strings, kLaunchPackageIdString);
  p.fallbackVersion = ReadString(strings, kFallbackVersionString);
  p.defaultLocale = ReadString(strings, kDefaultLocaleString);

  if (!arguments.empty()) p.programPath = arguments.front();
  for (const std::string& argument : arguments) {
    // The three tests are independent; a later argument overrides an earlier one.
    if (StartsWith(argument, "packageVersion=")) p.packageVersion = argument.substr(15);
    if (StartsWith(argument, "skinVersion=")) p.skinVersion = argument.substr(12);
    if (StartsWith(argument, "log=")) {
      uint32_t level = 0;
      // A malformed level ends the reading of arguments; what was read before stays.
      if (!ParseUnsignedLong32(argument.substr(4), &level)) break;
      p.logLevel = static_cast<int32_t>(level);
    }
  }

  p.languages = SplitLocaleTable(ReadString(strings, kLanguagesString));
  return p;
}

std::string UpdaterParameters::LocalizedValue(const std::string& localeName,
                                              const std::string& text) const {
  if (languages.empty()) return text;
  const LocaleTable table = SplitLocaleTable(text);
  if (table.empty()) return text;
  for (const auto& [key, value] : table) {
    if (key == localeName) return value;
  }
  if (localeName != defaultLocale) return LocalizedValue(defaultLocale, text);
  return std::string();
}

std::string UpdaterParameters::ProductName(const std::string& localeName) const {
  return LocalizedValue(localeName, productName);
}

std::string UpdaterParameters::FolderName(const std::string& localeName) const {
  return LocalizedValue(localeName, folderName);
}

std::string UpdaterParameters::SkinPackageId(const std::string& localeName) const {
  return LocalizedValue(localeName, skinPackageId);
}

std::string UpdaterParameters::LaunchPackageId(const std::string& localeName) const {
  return LocalizedValue(localeName, launchPackageId);
}

std::string UpdaterParameters::SkinFolder(const std::string& localeName) const {
  return Join(skinRootFolder, SkinPackageId(localeName));
}

std::string UpdaterParameters::Version() const {
  if (packageVersion == Unspecified && !fallbackVersion.empty()) return fallbackVersion;
  return packageVersion;
}

std::string UpdaterParameters::DefaultLocale() const {
  return languages.empty() ? std::string() : defaultLocale;
}

EngineSettings UpdaterParameters::ToEngineSettings(EngineSettings settings) const {
  if (!manifestHost.empty()) settings.manifestHost = manifestHost;
  // The updater runs twice as many transfer threads; the count saturates instead of wrapping.
  const int64_t doubled = static_cast<int64_t>(settings.transferThreads) * 2;
  settings.transferThreads = static_cast<int32_t>(
      doubled > std::numeric_limits<int32_t>::max() ? std::numeric_limits<int32_t>::max()
                                                    : doubled);
  settings.logLevel = logLevel;
  // The first time-remaining estimate after one second of transfer instead of ten.
  settings.speedWindowSeconds = 1;
  settings.transfersFolder = Join(relativeDataPath, "transfers");
  settings.logsFolder = Join(relativeDataPath, "logs");
  return settings;
}

}  // namespace kiv::updater
