// The portable error mapping: turns an errno value or a std::error_code into the file exception
// that describes it, so every system failure of the storage layer reads the same way.
#pragma once

#include <string>
#include <system_error>

namespace kiv::file {

// Throws the file exception for the portable condition of code (std::bad_alloc for ENOMEM);
// returns only when code means success. detail names the operation and path for the log.
void ThrowForErrorCode(const std::error_code& code, const std::string& detail = std::string());

// The same for a raw errno value.
void ThrowForErrno(int error, const std::string& detail = std::string());

}  // namespace kiv::file
