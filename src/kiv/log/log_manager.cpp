// Opening and appending to the work log. Lines are serialised by the manager's mutex so they
// never interleave.
#include "kiv/log/log_manager.h"

#include <algorithm>
#include <chrono>
#include <limits>

#include "kiv/file/exceptions.h"
#include "kiv/file/filesystem.h"
#include "kiv/log/log_file_name.h"

namespace kiv {
namespace {

// A folder where every name is "in use" (for instance one that collects a directory of that
// name each run) must not spin forever.
constexpr uint32_t kMaxNameAttempts = 1000;

std::time_t SystemNow() {
  return std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
}

void WriteAll(file::SharedFile& file, const std::string& text) {
  if (text.empty()) return;
  // One write per piece; a short write is not repeated (the line is cut, the log goes on).
  file.Write(text.data(), static_cast<uint32_t>(std::min<std::size_t>(
                              text.size(), std::numeric_limits<uint32_t>::max())));
}

}  // namespace

LogManager::LogManager(int32_t level, std::string logsFolder, file::Filesystem* filesystem,
                       Clock clock)
    : EventManager(kThreads),
      level_(level),
      logsFolder_(std::move(logsFolder)),
      filesystem_(filesystem),
      clock_(clock ? std::move(clock) : Clock(SystemNow)) {}

LogManager::~LogManager() = default;

std::shared_ptr<file::SharedFile> LogManager::OpenLogFile() {
  const std::filesystem::path folder = filesystem_->TempFolder();
  // Without a temporary folder the relative logs folder would land wherever the process runs.
  if (folder.empty()) return nullptr;
  for (uint32_t counter = 0; counter < kMaxNameAttempts; ++counter) {
    const std::filesystem::path name =
        std::filesystem::path(logsFolder_) / LogFileName(clock_(), counter);
    try {
      return filesystem_->OpenSharedFile(folder, name, file::OpenMode::CreateNew, false, 0,
                                         std::numeric_limits<uint64_t>::max());
    } catch (const file::InUseException&) {
      // Another run opened a log in the same second: try the next suffix.
    }
  }
  return nullptr;
}

void LogManager::WriteLine(int32_t flags, const std::string& text) {
  try {
    std::lock_guard lock(mutex_);
    if ((level_ & flags) == 0) return;
    if (!file_) file_ = OpenLogFile();
    if (!file_) return;
    WriteAll(*file_, LogLinePrefix(clock_()));
    WriteAll(*file_, text);
  } catch (...) {
    // Logging never fails its caller; the line is lost.
  }
}

}  // namespace kiv
