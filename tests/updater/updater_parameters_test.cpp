#include "kiv/updater/updater_parameters.h"

#include <gtest/gtest.h>

#include "kiv/engine/constants.h"

namespace kiv::updater {
namespace {

UpdaterParameters LoadArguments(const std::vector<std::string>& arguments) {
  return UpdaterParameters::Load({}, "/tmp/user", "Kemba/Corvan Update/KLV", arguments);
}

TEST(UpdaterParametersTest, CommandLine) {
  struct Case {
    const char* name;
    std::vector<std::string> arguments;
    std::string packageVersion;
    std::string skinVersion;
    int32_t logLevel;
  };
  const Case kCases[] = {
      {"none", {"/opt/kemba-updater"}, "?", "?", -9},
      {"all three", {"prog", "packageVersion=2.1", "skinVersion=7", "log=3"}, "2.1", "7", 3},
      {"negative level", {"prog", "log=-2"}, "?", "?", -2},
      {"negation modulo 2^32", {"prog", "log=4294967287"}, "?", "?", -9},
      {"largest value", {"prog", "log=4294967295"}, "?", "?", -1},
      {"digits up to a non-digit", {"prog", "log=3x"}, "?", "?", 3},
      {"white space and plus", {"prog", "log= \t+12"}, "?", "?", 12},
      {"malformed stops the parse",
       {"prog", "packageVersion=1", "log=x", "packageVersion=2", "log=4", "skinVersion=3"},
       "1", "?", -9},
      {"too large stops the parse", {"prog", "log=5", "log=4294967296", "log=6"}, "?", "?", 5},
      {"sign without digits stops", {"prog", "log=-", "skinVersion=1"}, "?", "?", -9},
      {"empty version is not unspecified", {"prog", "packageVersion="}, "", "?", -9},
      {"prefixes are case-sensitive", {"prog", "PackageVersion=1", "LOG=3"}, "?", "?", -9},
      {"later overrides earlier", {"prog", "skinVersion=1", "skinVersion=2"}, "?", "2", -9},
      {"argument 0 is tested too", {"log=5"}, "?", "?", 5},
      {"malformed argument 0 stops everything", {"log=", "log=1"}, "?", "?", -9},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const UpdaterParameters p = LoadArguments(c.arguments);
    EXPECT_EQ(p.packageVersion, c.packageVersion);
    EXPECT_EQ(p.skinVersion, c.skinVersion);
    EXPECT_EQ(p.logLevel, c.logLevel);
    EXPECT_EQ(p.programPath, c.arguments.front());
  }
}

TEST(UpdaterParametersTest, LoadsStringTable) {
  const std::string longName(300, 'n');
  // 254 two-byte characters fit; the 255th is cut without splitting a character.
  std::string umlauts;
  for (int i = 0; i < 260; ++i) umlauts += "\xC3\xA4";
  const StringTable strings = {
      {103, "partner"}, {104, "skin-partner"}, {105, "launch"}, {106, "3.0"},
      {107, "skin"},    {108, "package"},      {109, longName}, {110, umlauts},
  };
  const UpdaterParameters p =
      UpdaterParameters::Load(strings, "/home/u/.cache", "Kemba/Corvan Update/KLV", {"prog"});
  EXPECT_TRUE(p.elevate);
  EXPECT_EQ(p.manifestHost, "");
  EXPECT_EQ(p.partnerId, "partner");
  EXPECT_EQ(p.skinPartnerId, "skin-partner");
  EXPECT_EQ(p.launchPackageId, "launch");
  EXPECT_EQ(p.fallbackVersion, "3.0");
  EXPECT_EQ(p.skinPackageId, "skin");
  EXPECT_EQ(p.packageId, "package");
  EXPECT_EQ(p.productName, std::string(254, 'n'));
  EXPECT_EQ(p.folderName.size(), 254u * 2);
  EXPECT_EQ(p.dataFolder, "/home/u/.cache/Kemba/Corvan Update/KLV");
  EXPECT_EQ(p.skinRootFolder, p.dataFolder);
  EXPECT_EQ(p.SkinFolder("de"), "/home/u/.cache/Kemba/Corvan Update/KLV/skin");
  EXPECT_TRUE(p.languages.empty());
  EXPECT_EQ(p.DefaultLocale(), "");
  EXPECT_EQ(p.Version(), "3.0");

  // Without a temporary folder the data folder is the relative path alone.
  EXPECT_EQ(UpdaterParameters::Load(strings, "", "Kemba/KLV", {}).dataFolder, "Kemba/KLV");
}

TEST(UpdaterParametersTest, SplitsLocaleTables) {
  const LocaleTable table = SplitLocaleTable(";;de=Nord;;no-equals;fr=a=b; it = x ;=v;");
  const LocaleTable expected = {{"de", "Nord"}, {"fr", "a=b"}, {" it ", " x "}, {"", "v"}};
  EXPECT_EQ(table, expected);
  EXPECT_TRUE(SplitLocaleTable("").empty());
  EXPECT_TRUE(SplitLocaleTable(";;;").empty());
}

TEST(UpdaterParametersTest, LocalizedValueFallsBackOneLevel) {
  UpdaterParameters p;
  p.languages = {{"de", "Deutsch"}, {"fr", "Français"}};
  p.defaultLocale = "de";
  EXPECT_EQ(p.LocalizedValue("fr", "de=A;fr=B"), "B");
  EXPECT_EQ(p.LocalizedValue("de", "de=A;fr=B"), "A");
  EXPECT_EQ(p.LocalizedValue("it", "de=A;fr=B"), "A");
  EXPECT_EQ(p.LocalizedValue("it", "plain"), "plain");
  EXPECT_EQ(p.LocalizedValue("it", "fr=B"), "");  // the default locale has no entry either
  EXPECT_EQ(p.DefaultLocale(), "de");

  p.defaultLocale = "it";
  EXPECT_EQ(p.LocalizedValue("it", "de=A;fr=B"), "");

  p.languages.clear();
  EXPECT_EQ(p.LocalizedValue("de", "de=A;fr=B"), "de=A;fr=B");
  EXPECT_EQ(p.DefaultLocale(), "");
}

TEST(UpdaterParametersTest, LanguagesComeFromTheTable) {
  const StringTable strings = {{112, "de=Deutsch;fr=Français"}, {113, "de"}, {107, "de=s-de;fr=s-fr"}};
  const UpdaterParameters p = UpdaterParameters::Load(strings, "/t", "d", {"prog"});
  const LocaleTable expected = {{"de", "Deutsch"}, {"fr", "Français"}};
  EXPECT_EQ(p.languages, expected);
  EXPECT_EQ(p.DefaultLocale(), "de");
  EXPECT_EQ(p.SkinPackageId("fr"), "s-fr");
  EXPECT_EQ(p.SkinFolder("xx"), "/t/d/s-de");
}

TEST(UpdaterParametersTest, VersionUsesFallbackOnlyWhileUnspecified) {
  UpdaterParameters p;
  p.fallbackVersion = "3.0";
  EXPECT_EQ(p.Version(), "3.0");
  p.packageVersion = "2.0";
  EXPECT_EQ(p.Version(), "2.0");
  p.packageVersion = "";
  EXPECT_EQ(p.Version(), "");
  p.packageVersion = Unspecified;
  p.fallbackVersion = "";
  EXPECT_EQ(p.Version(), "?");
}

TEST(UpdaterParametersTest, DerivesEngineSettings) {
  const EngineSettings defaults(4);
  UpdaterParameters p = LoadArguments({"prog", "log=3"});
  EngineSettings settings = p.ToEngineSettings(defaults);
  EXPECT_EQ(settings.manifestHost, defaults.manifestHost);
  EXPECT_EQ(settings.transferThreads, 12);
  EXPECT_EQ(settings.maxRunningWorks, 6);
  EXPECT_EQ(settings.logLevel, 3);
  EXPECT_EQ(settings.speedWindowSeconds, 1);
  EXPECT_EQ(settings.transfersFolder, "Kemba/Corvan Update/KLV/transfers");
  EXPECT_EQ(settings.logsFolder, "Kemba/Corvan Update/KLV/logs");
  EXPECT_EQ(settings.geolocationUrl, defaults.geolocationUrl);

  p.manifestHost = "127.0.0.1:8470";
  settings = p.ToEngineSettings(defaults);
  EXPECT_EQ(settings.manifestHost, "127.0.0.1:8470");
  EXPECT_EQ(settings.geolocationUrl, defaults.geolocationUrl);
}

}  // namespace
}  // namespace kiv::updater
