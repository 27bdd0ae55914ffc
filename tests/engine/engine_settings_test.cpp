#include "kiv/engine/engine_settings.h"

#include <gtest/gtest.h>

namespace kiv {
namespace {

TEST(EngineSettingsTest, ThreadCountFollowsProcessorCount) {
  struct Case {
    uint32_t processors;
    uint32_t threads;
  };
  const Case kCases[] = {
      {0, 3}, {1, 3}, {2, 4}, {4, 6}, {0xFFFFFFFDu, 0xFFFFFFFFu}, {0xFFFFFFFEu, 0xFFFFFFFEu},
      {0xFFFFFFFFu, 0xFFFFFFFFu},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.processors);
    EXPECT_EQ(EngineSettings::DefaultThreadCount(c.processors), c.threads);
  }
}

TEST(EngineSettingsTest, ThreadFieldsShareTheDefault) {
  const EngineSettings settings(0);
  EXPECT_EQ(settings.transferThreads, 3);
  EXPECT_EQ(settings.maxRunningWorks, 3);
  EXPECT_EQ(settings.parallelCapacity, 3);
  EXPECT_EQ(settings.controlThreads, 1);
  EXPECT_EQ(settings.logLevel, -9);
  EXPECT_EQ(settings.speedWindowSeconds, 10);
  EXPECT_EQ(settings.transfersFolder, "Brightel Technologies/Fennimore/transfers");
  EXPECT_EQ(settings.logsFolder, "Brightel Technologies/Fennimore/logs");
  EXPECT_DOUBLE_EQ(settings.statisticsSmoothing, 0.3);
  EXPECT_TRUE(settings.allowExecute);
}

}  // namespace
}  // namespace kiv
