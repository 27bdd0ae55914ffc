#include "kiv/locale/simple_locale.h"

#include <gtest/gtest.h>

#include <climits>

#include "kiv/locale/custom_boost_locale.h"
#include "kiv/locale/posix/embedded_message_catalog.h"

namespace kiv::locale {
namespace {

// A locale whose catalog holds nothing: every text comes back in English.
class UntranslatedLocaleTest : public ::testing::Test {
 protected:
  posix::EmbeddedMessageCatalog catalog_{"kemba-updater", nullptr};
  CustomBoostLocale locale_{&catalog_, "xx"};
};

TEST_F(UntranslatedLocaleTest, TimeRemaining) {
  struct Case {
    int32_t seconds;
    const char* text;
  };
  const Case kCases[] = {
      {-1, "Calculating time remaining"},
      {-5, "0 seconds remaining"},
      {0, "0 seconds remaining"},
      {1, "1 second remaining"},
      {2, "2 seconds remaining"},
      {59, "59 seconds remaining"},
      {60, "1 minute remaining"},           // exactly a minute is not rounded up
      {61, "2 minutes remaining"},          // 121 s
      {119, "2 minutes remaining"},         // 179 s
      {120, "3 minutes remaining"},         // 180 s
      {3540, "1 hour remaining"},           // 3600 s
      {3599, "1 hour remaining"},           // 3659 s
      {3600, "1 hour, 1 minute remaining"}, // 3660 s
      {3660, "1 hour, 2 minutes remaining"},
      {7199, "2 hours remaining"},          // 7259 s
      {7200, "2 hours, 1 minute remaining"},
      {9000, "2 hours, 31 minutes remaining"},
      {INT_MAX, "596523 hours, 15 minutes remaining"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.seconds);
    EXPECT_EQ(locale_.FormatTimeRemaining(c.seconds), c.text);
  }
}

TEST_F(UntranslatedLocaleTest, Sizes) {
  struct Case {
    uint64_t bytes;
    const char* text;
  };
  const Case kCases[] = {
      {0, "0 KB"},
      {1023, "1 KB"},
      {1048575, "1024 KB"},
      {1048576, "1.00 MB"},
      {1572864, "1.50 MB"},
      {1073741823, "1024.00 MB"},
      {1073741824, "1.00 GB"},
      {5ull << 40, "5120.00 GB"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(locale_.FormatSize(c.bytes), c.text);
  }
}

TEST_F(UntranslatedLocaleTest, NumbersAndPlaceholders) {
  EXPECT_EQ(locale_.FormatPercent(0.125, 1), "12.5%");
  EXPECT_EQ(locale_.FormatNumber(1234567.891, 2), "1234567.89");
  EXPECT_EQ(locale_.FormatNumber(2.0, 0), "2");
  EXPECT_EQ(locale_.FormatRaw("Corvan Update ({1}) ({1})", "X"), "Corvan Update (X) (X)");
  EXPECT_EQ(locale_.FormatRaw2("{2} of {1}", "a", "b"), "b of a");
  // A value that itself holds a placeholder is inserted once, not expanded again.
  EXPECT_EQ(locale_.FormatRaw2("{1}", "{2}", "b"), "b");
  EXPECT_EQ(locale_.FormatRaw("{1}", "{1}"), "{1}");
  EXPECT_EQ(locale_.Translate("Calculating time remaining"), "Calculating time remaining");
  EXPECT_EQ(locale_.GetLocaleName(), "xx");
}

TEST(DefaultLocaleNameTest, ReadsEnvironmentInOrder) {
  struct Case {
    const char* ctype;
    const char* all;
    const char* lang;
    const char* expected;
  };
  const Case kCases[] = {
      {"de_AT.UTF-8", "fr_FR", "it_IT", "de_AT.UTF-8"},
      {"", "fr_FR", "it_IT", "fr_FR"},
      {nullptr, nullptr, "it_IT", "it_IT"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.expected);
    const auto set = [](const char* name, const char* value) {
      if (value) setenv(name, value, 1); else unsetenv(name);
    };
    set("LC_CTYPE", c.ctype);
    set("LC_ALL", c.all);
    set("LANG", c.lang);
    EXPECT_EQ(CustomBoostLocale::DefaultLocaleName(), c.expected);
  }
  unsetenv("LC_CTYPE");
  unsetenv("LC_ALL");
  unsetenv("LANG");
}

}  // namespace
}  // namespace kiv::locale
