#include "kiv/http/curl_global.h"

#include <curl/curl.h>

namespace kiv::http {
namespace {

class CurlGlobal {
 public:
  CurlGlobal() : initialized_(curl_global_init(CURL_GLOBAL_ALL) == CURLE_OK) {}
  ~CurlGlobal() {
    if (initialized_) curl_global_cleanup();
  }
  bool Initialized() const { return initialized_; }

 private:
  const bool initialized_;
};

// A function-local static: created before the first request even if another static object
// makes one during start-up, and destroyed after every object created later (all requests of
// the program's run), so clean-up never precedes the last easy handle's clean-up.
CurlGlobal& Instance() {
  static CurlGlobal global;
  return global;
}

// Runs the initialisation during start-up, while the program is still single-threaded: older
// libcurl builds do not allow it concurrently with other libcurl calls.
[[maybe_unused]] const bool kInitializedAtStart = Instance().Initialized();

}  // namespace

bool CurlGlobalInitialized() { return Instance().Initialized(); }

}  // namespace kiv::http
