// Work-log file names and line prefixes, in UTC whatever the local time zone.
#include "kiv/log/log_file_name.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace kiv {
namespace {

TEST(LogFileNameTest, FormatsUtcTime) {
  // A zone far from UTC shows that local time is never used.
  setenv("TZ", "Pacific/Kiritimati", 1);
  tzset();
  struct Case {
    const char* name;
    std::time_t time;
    uint32_t counter;
    const char* file;
    const char* prefix;
  };
  const Case kCases[] = {
      {"epoch", 0, 0, "Log.1970.01.01.00.00.00.txt", "[1970-01-01 00:00:00] "},
      {"two-digit fields padded", 1396543380, 0, "Log.2014.04.03.16.43.00.txt",
       "[2014-04-03 16:43:00] "},
      {"first collision", 1396543380, 1, "Log.2014.04.03.16.43.00.txt.1", "[2014-04-03 16:43:00] "},
      {"later collisions count on", 1396543380, 12, "Log.2014.04.03.16.43.00.txt.12",
       "[2014-04-03 16:43:00] "},
      {"end of a year", 1704067199, 0, "Log.2023.12.31.23.59.59.txt", "[2023-12-31 23:59:59] "},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(LogFileName(c.time, c.counter), c.file);
    EXPECT_EQ(LogLinePrefix(c.time), c.prefix);
  }
  unsetenv("TZ");
  tzset();
}

}  // namespace
}  // namespace kiv
