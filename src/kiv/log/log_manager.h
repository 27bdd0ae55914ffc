// The work log: one file per engine run below the temporary folder, one line per event, written
// on the manager's own two threads. The level is a bit mask of the event kinds to write.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "kiv/analytics/event_manager.h"

namespace kiv::file {
class Filesystem;
class SharedFile;
}  // namespace kiv::file

namespace kiv {

class LogManager : public EventManager {
 public:
  // Event kinds, one bit each; an event carries one or more of them.
  static constexpr int32_t kTransferEvent = 1;
  static constexpr int32_t kFailedCompletion = 2;  // RetryableError or FatalError
  static constexpr int32_t kRetry = 4;
  static constexpr int32_t kCompletion = 8;  // any other result
  static constexpr int32_t kImportant = 16;
  static constexpr uint32_t kThreads = 2;

  // The time source for file names and line prefixes; defaults to the system clock.
  using Clock = std::function<std::time_t()>;

  // level is the bit mask of kinds to write (-9: everything but ordinary completions; 0:
  // nothing). logsFolder is relative to the file system's temporary folder. The file system is
  // not owned and must outlive the manager.
  LogManager(int32_t level, std::string logsFolder, file::Filesystem* filesystem,
             Clock clock = nullptr);
  ~LogManager() override;

  int32_t GetLevel() const { return level_; }

  // Appends the time prefix and the text (one JSON line) to the log file, opening the file on
  // first use, when the level has any bit of flags. Never throws: a line that cannot be written
  // is dropped, and the next line tries again to open a file if none is open.
  void WriteLine(int32_t flags, const std::string& text);

 private:
  std::shared_ptr<file::SharedFile> OpenLogFile();

  std::mutex mutex_;
  const int32_t level_;
  const std::string logsFolder_;
  file::Filesystem* const filesystem_;
  const Clock clock_;
  std::shared_ptr<file::SharedFile> file_;
};

}  // namespace kiv
