// UTC formatting for log names and line prefixes.
#include "kiv/log/log_file_name.h"

namespace kiv {
namespace {

std::string FormatUtc(std::time_t utc, const char* format) {
  std::tm parts{};
  if (gmtime_r(&utc, &parts) == nullptr) parts = std::tm{};
  char buffer[64];
  const std::size_t length = std::strftime(buffer, sizeof buffer, format, &parts);
  return std::string(buffer, length);
}

}  // namespace

std::string LogFileName(std::time_t utc, uint32_t counter) {
  std::string name = FormatUtc(utc, "Log.%Y.%m.%d.%H.%M.%S.txt");
  if (counter > 0) name += "." + std::to_string(counter);
  return name;
}

std::string LogLinePrefix(std::time_t utc) { return FormatUtc(utc, "[%Y-%m-%d %H:%M:%S] "); }

}  // namespace kiv
