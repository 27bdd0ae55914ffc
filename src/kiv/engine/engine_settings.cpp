#include "kiv/engine/engine_settings.h"

#include <thread>

namespace kiv {

uint32_t EngineSettings::DefaultThreadCount(uint32_t processorCount) {
  const uint32_t count = processorCount <= 1 ? 1 : processorCount;
  return count > 0xFFFFFFFFu - 2 ? count : count + 2;
}

EngineSettings::EngineSettings() : EngineSettings(std::thread::hardware_concurrency()) {}

EngineSettings::EngineSettings(uint32_t processorCount)
    : manifestHost("manifests.kemba.example"),
      transfersFolder("Brightel Technologies/Fennimore/transfers"),
      logsFolder("Brightel Technologies/Fennimore/logs"),
      logLevel(-9),
      manifestRetries(4),
      manifestConnectTimeout(10),
      manifestTimeout(30),
      chunkRetriesMin(4),
      requestRetriesMin(4),
      adaptiveConnectTimeoutMin(3),
      adaptiveConnectTimeoutMax(15),
      fixedConnectTimeout(2),
      adaptiveMinTimeout(10),
      fixedMinTimeout(3),
      adaptiveBaseSpeed(7168),
      fixedBaseSpeed(32768),
      adaptiveLowSpeedTimeMin(5),
      adaptiveLowSpeedTimeMax(60),
      fixedLowSpeedTime(3),
      speedWindowSeconds(10),
      estimateRefreshMs(500),
      controlThreads(1),
      // The record holds signed fields; a count past INT32_MAX is a wrap the caller accepts.
      transferThreads(static_cast<int32_t>(DefaultThreadCount(processorCount))),
      maxRunningWorks(transferThreads),
      parallelCapacity(transferThreads),
      allowExecute(true),
      proxyResolveTimeout(5000),
      proxyConnectTimeout(5000),
      proxySendTimeout(5000),
      proxyReceiveTimeout(5000),
      analyticsConnectTimeout(10),
      analyticsTimeout(10),
      analyticsRetries(1),
      periodicEventInterval(300),
      optimizerMinTickets(50),
      optimizerTotalTickets(10000),
      statisticsSmoothing(0.3),
      optimizerMinShare(0.05),
      geolocationUrl("http://events.kemba.example/geo-location"),
      geolocationConnectTimeout(5),
      geolocationTimeout(10),
      geolocationRetries(1),
      analyticsTransfersUrl("http://transfers.analytics.kemba.example"),
      analyticsEventsUrl("http://events.analytics.kemba.example"),
      maxManifestBytes(256ull << 20) {}

}  // namespace kiv
