// Small helpers shared by the http tests.
#pragma once

#include <sstream>
#include <string>

#include "kiv/http/request.h"
#include "kiv/http/stringstream_writer.h"

namespace kiv::http::testing {

// A deterministic body of n bytes that is not periodic over short spans.
inline std::string Pattern(size_t n) {
  std::string bytes(n, '\0');
  uint32_t x = 2463534242u;
  for (size_t i = 0; i < n; ++i) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    bytes[i] = static_cast<char>(x);
  }
  return bytes;
}

// A string sink with the writer over it, ready for RequestParams.
struct Sink {
  std::stringstream stream;
  StringstreamWriter writer{&stream};
  std::string Text() const { return stream.str(); }
};

}  // namespace kiv::http::testing
