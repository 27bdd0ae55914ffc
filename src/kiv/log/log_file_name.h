// Names and line prefixes of the work log, both from UTC time: one file per engine run named
// after the time it was opened, one bracketed time stamp per line.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace kiv {

// "Log.%Y.%m.%d.%H.%M.%S.txt" for the given time; a counter above 0 is appended as "." and
// the counter in decimal (the second run in the same second writes "...txt.1").
std::string LogFileName(std::time_t utc, uint32_t counter = 0);

// "[%Y-%m-%d %H:%M:%S] " for the given time.
std::string LogLinePrefix(std::time_t utc);

}  // namespace kiv
