// Writes a response body into a bounded region (a mapped chunk of a file) at its current
// position; a block that would leave the region is refused whole.
#pragma once

#include <memory>

#include "kiv/http/request.h"

namespace kiv::file {
class BoundedData;
}

namespace kiv::http {

class BoundedDataWriter : public WriteCallback {
 public:
  explicit BoundedDataWriter(std::shared_ptr<kiv::file::BoundedData> data)
      : data_(std::move(data)) {}

  RequestResult Write(const void* data, uint64_t size) override;

 protected:
  std::shared_ptr<kiv::file::BoundedData> data_;
};

}  // namespace kiv::http
