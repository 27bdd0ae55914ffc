// The catalogs compiled into the program: which locale loads which catalog, and translation.
#include "kiv/updater/posix/kemba_updater.h"

#include <gtest/gtest.h>

#include <set>

#include "kiv/locale/custom_boost_locale.h"
#include "kiv/locale/posix/embedded_message_catalog.h"
#include "kiv/updater/build_profile.h"

namespace kiv::updater {
namespace {

using locale::CustomBoostLocale;
using locale::posix::EmbeddedMessageCatalog;

std::string CatalogFile(const std::string& localeName) {
  return "/" + localeName + "/LC_MESSAGES/kemba-updater.mo";
}

TEST(KembaUpdaterTest, RegistersEveryLocaleName) {
  // Each catalog answers its own id as its bytes.
  EmbeddedMessageCatalog catalog("kemba-updater",
                                 [](int id) -> std::string_view {
                                   static std::map<int, std::string> ids;
                                   auto& text = ids[id];
                                   text = std::to_string(id);
                                   return text;
                                 });
  const kemba::posix::KembaUpdater updater("support.example");
  updater.RegisterCatalogs(catalog);
  struct Case {
    const char* locale;
    const char* id;  // empty: no catalog
  };
  const Case kCases[] = {
      {"cs", "201"},    {"de", "202"},    {"en_GB", "204"}, {"en_UK", "204"}, {"en", ""},
      {"en_US", ""},    {"es", "206"},    {"es_ES", "206"}, {"es_MX", "205"}, {"es_VE", "205"},
      {"nb", "214"},    {"nn", "214"},    {"no", "214"},    {"nl", "213"},    {"zh", "222"},
      {"zh_SG", "222"}, {"zh_TW", "223"}, {"zh_MO", "223"}, {"th", "220"},    {"DE", ""},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.locale);
    const std::vector<char> bytes = catalog.LoadFile(CatalogFile(c.locale), "UTF-8");
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), c.id);
  }
}

// Records which catalog files the locale asks for and which of them exist.
class RecordingCatalog : public locale::MessageCatalog {
 public:
  explicit RecordingCatalog(const EmbeddedMessageCatalog* inner) : inner_(inner) {}
  std::string GetPath() const override { return inner_->GetPath(); }
  std::string GetDomain() const override { return inner_->GetDomain(); }
  std::vector<char> LoadFile(const std::string& fileName,
                             const std::string& encoding) const override {
    std::vector<char> bytes = inner_->LoadFile(fileName, encoding);
    requested.push_back(fileName + (bytes.empty() ? " missing" : " loaded"));
    return bytes;
  }
  mutable std::vector<std::string> requested;

 private:
  const EmbeddedMessageCatalog* inner_;
};

class CatalogTranslationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const BuildProfile& profile = ProgramBuildProfile();
    updater_.RegisterCatalogs(catalog_);
    supportHost_ = profile.Value("supportHost");
  }

  const kemba::posix::KembaUpdater updater_{ProgramBuildProfile().Value("supportHost")};
  EmbeddedMessageCatalog catalog_{"kemba-updater", [](int id) {
                                    return ProgramBuildProfile().Catalog(id);
                                  }};
  std::string supportHost_;
};

TEST_F(CatalogTranslationTest, ChoosesCatalogByLocaleName) {
  struct Case {
    const char* locale;
    std::vector<std::string> requested;
  };
  const Case kCases[] = {
      {"de", {CatalogFile("de") + " loaded"}},
      {"de_AT", {CatalogFile("de_AT") + " missing", CatalogFile("de") + " loaded"}},
      {"en_GB", {CatalogFile("en_GB") + " loaded"}},
      {"en_US", {CatalogFile("en_US") + " missing", CatalogFile("en") + " missing"}},
      {"es_MX.UTF-8", {CatalogFile("es_MX") + " loaded"}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.locale);
    RecordingCatalog recording(&catalog_);
    CustomBoostLocale locale(&recording, c.locale);
    EXPECT_EQ(recording.requested, c.requested);
  }
}

TEST_F(CatalogTranslationTest, TranslatesThroughTheEmbeddedCatalog) {
  const UpdaterMessages& messages = updater_.GetMessages();
  const std::string text = messages.GetErrorText(TransferError::OutOfMemory);

  CustomBoostLocale locale(&catalog_, "de");
  const std::string german = locale.Translate(text);
  EXPECT_EQ(german,
            "Nicht genügend Arbeitsspeicher. Geben Sie Arbeitsspeicher frei und versuchen Sie es "
            "erneut.");
  EXPECT_EQ(locale.FormatTimeRemaining(9000), "Noch 2 Stunden und 31 Minuten");

  locale.SetLocale("de_AT");
  EXPECT_EQ(locale.Translate(text), german);
  locale.SetLocale("en_US");
  EXPECT_EQ(locale.Translate(text), text);
  locale.SetLocale("xx");
  EXPECT_EQ(locale.Translate(text), text);

  // The support host is filled into the catalogs at build time, so texts naming it translate.
  locale.SetLocale("fr");
  const std::string launchFailed = locale.Translate(messages.GetLaunchFailedText());
  EXPECT_NE(launchFailed, messages.GetLaunchFailedText());
  EXPECT_NE(launchFailed.find(supportHost_), std::string::npos);

  // Format translates the argument too; FormatRaw inserts it unchanged.
  const std::string calculating = "Calculating time remaining";
  const std::string title = locale.Format(messages.GetTitle(), calculating);
  EXPECT_NE(title.find(locale.Translate(calculating)), std::string::npos);
  EXPECT_NE(locale.Translate(calculating), calculating);
  EXPECT_NE(locale.FormatRaw(messages.GetTitle(), calculating).find(calculating),
            std::string::npos);
}

TEST_F(CatalogTranslationTest, EveryCatalogTranslatesEveryMessage) {
  const UpdaterMessages& messages = updater_.GetMessages();
  std::vector<std::string> ids = {
      messages.GetTitle(), messages.GetErrorTitle(), messages.GetLaunchingText(),
      messages.GetLaunchFailedText(), "Calculating time remaining",
  };
  for (int error = 0; error <= 10; ++error) {
    ids.push_back(messages.GetErrorText(static_cast<TransferError>(error)));
  }
  // Every duration text, reached through the formatting that uses it.
  const char* kLocales[] = {"cs", "de",    "el", "en_GB", "es_AR", "es", "fi", "fr",
                            "hu", "it",    "ja", "ko",    "nl",    "nb", "pl", "pt",
                            "ro", "ru",    "sv", "th",    "tr",    "zh", "zh_TW"};
  CustomBoostLocale english(&catalog_, "xx");
  const int32_t kDurations[] = {-1, 0, 1, 61, 60, 3600, 3540, 3660 + 60, 7200, 7199, 9000};
  for (const char* name : kLocales) {
    SCOPED_TRACE(name);
    RecordingCatalog recording(&catalog_);
    CustomBoostLocale locale(&recording, name);
    ASSERT_FALSE(recording.requested.empty());
    EXPECT_NE(recording.requested.back().find(" loaded"), std::string::npos);
    std::set<std::string> distinct;
    for (const std::string& id : ids) {
      const std::string translated = locale.Translate(id);
      EXPECT_FALSE(translated.empty()) << id;
      distinct.insert(translated);
    }
    // Different messages stay different in every language (no copy-paste slips).
    std::set<std::string> distinctIds(ids.begin(), ids.end());
    EXPECT_EQ(distinct.size(), distinctIds.size());
    for (int32_t seconds : kDurations) {
      const std::string text = locale.FormatTimeRemaining(seconds);
      EXPECT_EQ(text.find('{'), std::string::npos) << text;
      if (std::string(name) != "en_GB") {
        EXPECT_NE(text, english.FormatTimeRemaining(seconds));
      }
    }
  }
}

}  // namespace
}  // namespace kiv::updater
