#include "kiv/http/bounded_data_writer.h"

#include <new>
#include <string>

#include "kiv/file/bounded_data.h"
#include "kiv/file/exceptions.h"

namespace kiv::http {
namespace {

// The details name what refused the block, so the work log says more than the state alone.
RequestResult Failed(State state, const char* what) {
  RequestResult result(state, 0);
  result.errorDetails = std::string("BoundedDataWriter: ") + what;
  return result;
}

}  // namespace

RequestResult BoundedDataWriter::Write(const void* data, uint64_t size) {
  if (size == 0) return RequestResult(State::Success, 0);
  if (!data_ || data == nullptr) return RequestResult(State::WriteFailed, 0);
  // The view takes at most 4 GiB - 1 per call; libcurl never offers blocks anywhere near that,
  // but a larger block must not be silently truncated to its low 32 bits.
  if (size > 0xFFFFFFFFull) return RequestResult(State::DataMismatch, 0);
  try {
    const uint32_t taken = data_->Write(data, static_cast<uint32_t>(size));
    if (taken > size) return RequestResult(State::WriteFailed, 0);
    if (taken == size) return RequestResult(State::Success, taken);
    RequestResult result(State::WriteFailed, taken);
    result.errorDetails = "BoundedDataWriter: took " + std::to_string(taken) + " of " +
                          std::to_string(size) + " bytes";
    return result;
  } catch (const kiv::file::OutOfBoundsException& e) {
    return Failed(State::DataMismatch, e.what());
  } catch (const std::bad_alloc& e) {
    return Failed(State::OutOfMemory, e.what());
  } catch (const std::exception& e) {
    return Failed(State::WriteFailed, e.what());
  } catch (...) {
    return Failed(State::WriteFailed, "unknown exception");
  }
}

}  // namespace kiv::http
