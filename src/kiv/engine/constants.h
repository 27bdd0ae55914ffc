// Engine-wide constants shared by every subsystem: the value-not-given marker and the user agent.
#pragma once

#include <string>

namespace kiv {

// Stands for a value not given (no particular version, no destination). Compared byte for byte.
inline const std::string Unspecified = "?";

// Default User-Agent of every request the engine makes.
inline const std::string UserAgent = "Brightel Fennimore TransferService 1.3.1";

}  // namespace kiv
