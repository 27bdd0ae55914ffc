// The one record of every tunable number, host and folder of the engine, with its defaults.
#pragma once

#include <cstdint>
#include <string>

namespace kiv {

struct EngineSettings {
  // Fills every field with its default; the thread fields from the processor count.
  EngineSettings();
  // The same with an explicit processor count, so the thread-count rule can be checked.
  explicit EngineSettings(uint32_t processorCount);

  // transferThreads' default: 1 for 0 or 1 processors, else the count; plus 2 unless that
  // would pass 2^32 - 1.
  static uint32_t DefaultThreadCount(uint32_t processorCount);

  std::string manifestHost;
  std::string transfersFolder;
  std::string logsFolder;
  int32_t logLevel;
  int32_t manifestRetries;
  int32_t manifestConnectTimeout;
  int32_t manifestTimeout;
  int32_t chunkRetriesMin;
  int32_t requestRetriesMin;
  int32_t adaptiveConnectTimeoutMin;
  int32_t adaptiveConnectTimeoutMax;
  int32_t fixedConnectTimeout;
  int32_t adaptiveMinTimeout;
  int32_t fixedMinTimeout;
  int32_t adaptiveBaseSpeed;
  int32_t fixedBaseSpeed;
  int32_t adaptiveLowSpeedTimeMin;
  int32_t adaptiveLowSpeedTimeMax;
  int32_t fixedLowSpeedTime;
  int32_t speedWindowSeconds;
  int32_t estimateRefreshMs;
  int32_t controlThreads;
  int32_t transferThreads;
  int32_t maxRunningWorks;
  int32_t parallelCapacity;
  bool allowExecute;
  int32_t proxyResolveTimeout;
  int32_t proxyConnectTimeout;
  int32_t proxySendTimeout;
  int32_t proxyReceiveTimeout;
  int32_t analyticsConnectTimeout;
  int32_t analyticsTimeout;
  int32_t analyticsRetries;
  int32_t periodicEventInterval;
  int32_t optimizerMinTickets;
  int32_t optimizerTotalTickets;
  double statisticsSmoothing;
  double optimizerMinShare;
  std::string geolocationUrl;
  int32_t geolocationConnectTimeout;
  int32_t geolocationTimeout;
  int32_t geolocationRetries;

  // Endpoints this engine build posts analytics to, and the largest manifest body a fetch
  // accepts (a manifest larger than this is refused instead of exhausting memory).
  std::string analyticsTransfersUrl;
  std::string analyticsEventsUrl;
  uint64_t maxManifestBytes;
};

}  // namespace kiv
