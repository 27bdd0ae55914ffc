#include "kiv/http/stringstream_writer.h"

#include <new>
#include <sstream>

namespace kiv::http {

RequestResult StringstreamWriter::Write(const void* data, uint64_t size) {
  if (size == 0) return RequestResult(State::Success, 0);
  if (stream_ == nullptr || data == nullptr) return RequestResult(State::WriteFailed, 0);
  try {
    stream_->write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  } catch (const std::bad_alloc&) {
    return RequestResult(State::OutOfMemory, 0);
  } catch (...) {
    // A stream with exceptions enabled reports failure by throwing; treat it like failbit.
    return RequestResult(State::WriteFailed, 0);
  }
  if (stream_->fail() || stream_->bad()) return RequestResult(State::WriteFailed, 0);
  return RequestResult(State::Success, size);
}

}  // namespace kiv::http
