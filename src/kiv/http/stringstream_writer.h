// Collects a response body in memory (manifests, small answers).
#pragma once

#include <iosfwd>

#include "kiv/http/request.h"

namespace kiv::http {

class StringstreamWriter : public WriteCallback {
 public:
  // The stream is not owned and must outlive the writer's use.
  explicit StringstreamWriter(std::stringstream* stream) : stream_(stream) {}

  RequestResult Write(const void* data, uint64_t size) override;

 private:
  std::stringstream* stream_;
};

}  // namespace kiv::http
