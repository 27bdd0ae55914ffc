// libcurl's process-wide initialisation, done once at program start and undone at exit.
#pragma once

namespace kiv::http {

// True when libcurl's global initialisation succeeded. The first call (at the latest during
// static initialisation of the http library) performs it.
bool CurlGlobalInitialized();

}  // namespace kiv::http
