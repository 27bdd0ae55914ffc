#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <sstream>
#include <stdexcept>

#include "http/test_util.h"
#include "kiv/file/bounded_data.h"
#include "kiv/file/exceptions.h"
#include "kiv/http/bounded_data_writer.h"
#include "kiv/http/curl_request.h"
#include "kiv/http/stringstream_writer.h"
#include "support/test_node_server.h"

namespace kiv::http {
namespace {

// An in-memory region [first, last] of a file that refuses a write crossing its end, as a
// mapped chunk view does. It can also be told to take fewer bytes or to throw.
class MemoryRegion : public kiv::file::BoundedData {
 public:
  enum class Mode { kNormal, kShort, kBadAlloc, kOther };

  MemoryRegion(uint64_t first, uint64_t last, Mode mode = Mode::kNormal)
      : BoundedData(first, last), bytes_(last - first + 1, '\0'), position_(first), mode_(mode) {}

  uint64_t Tell() override { return position_; }
  void Seek(uint64_t position) override {
    CheckRange(position, position);
    position_ = position;
  }
  uint32_t Read(void* buffer, uint32_t size) override {
    if (size == 0) return 0;
    CheckRange(position_, position_ + size - 1);
    std::memcpy(buffer, bytes_.data() + (position_ - first), size);
    position_ += size;
    return size;
  }
  uint32_t Write(const void* buffer, uint32_t size) override {
    if (mode_ == Mode::kBadAlloc) throw std::bad_alloc();
    if (mode_ == Mode::kOther) throw std::runtime_error("disk on fire");
    if (size == 0) return 0;
    CheckRange(position_, position_ + size - 1);
    const uint32_t taken = mode_ == Mode::kShort ? size / 2 : size;
    std::memcpy(bytes_.data() + (position_ - first), buffer, taken);
    position_ += taken;
    return taken;
  }

  const std::string& Bytes() const { return bytes_; }

 private:
  std::string bytes_;
  uint64_t position_;
  Mode mode_;
};

TEST(BoundedDataWriterTest, ReportsWhatTheRegionTook) {
  using Mode = MemoryRegion::Mode;
  struct Case {
    const char* name;
    Mode mode;
    uint64_t regionSize;
    uint64_t writeSize;
    State expected;
    uint64_t expectedBytes;
  };
  const Case kCases[] = {
      {"empty block", Mode::kNormal, 10, 0, State::Success, 0},
      {"fits", Mode::kNormal, 10, 10, State::Success, 10},
      {"crosses the end", Mode::kNormal, 10, 11, State::DataMismatch, 0},
      {"short write", Mode::kShort, 10, 8, State::WriteFailed, 4},
      {"allocation failure", Mode::kBadAlloc, 10, 5, State::OutOfMemory, 0},
      {"other failure", Mode::kOther, 10, 5, State::WriteFailed, 0},
  };
  const std::string data = testing::Pattern(64);
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    auto region = std::make_shared<MemoryRegion>(1000, 1000 + c.regionSize - 1, c.mode);
    BoundedDataWriter writer(region);
    const RequestResult result = writer.Write(data.data(), c.writeSize);
    EXPECT_EQ(result.state, c.expected);
    EXPECT_EQ(result.bytesWritten, c.expectedBytes);
    EXPECT_EQ(region->Tell(), 1000 + c.expectedBytes);
    EXPECT_EQ(region->Bytes().substr(0, c.expectedBytes), data.substr(0, c.expectedBytes));
    EXPECT_EQ(result.state == State::Success, result.errorDetails.empty());
  }
}

TEST(StringstreamWriterTest, AppendsOrFailsWithoutTaking) {
  std::stringstream stream;
  StringstreamWriter writer(&stream);
  EXPECT_EQ(writer.Write("", 0).state, State::Success);
  RequestResult result = writer.Write("abc", 3);
  EXPECT_EQ(result.state, State::Success);
  EXPECT_EQ(result.bytesWritten, 3u);
  result = writer.Write("de", 2);
  EXPECT_EQ(stream.str(), "abcde");

  std::stringstream broken;
  broken.setstate(std::ios::badbit);
  StringstreamWriter failing(&broken);
  result = failing.Write("abc", 3);
  EXPECT_EQ(result.state, State::WriteFailed);
  EXPECT_EQ(result.bytesWritten, 0u);
  EXPECT_EQ(failing.Write("", 0).state, State::Success);
}

// A response body larger than the chunk, or a region that takes too little, never ends as a
// success of the request.
TEST(BoundedDataWriterTest, RequestIntoATooSmallRegionFails) {
  kiv::test::TestNodeServer server;
  const std::string body = testing::Pattern(50000);
  server.AddFile("/f.bin", body);
  server.Start();
  using Mode = MemoryRegion::Mode;
  struct Case {
    const char* name;
    Mode mode;
    uint64_t regionSize;
    State expected;
  };
  const Case kCases[] = {
      {"exact fit", Mode::kNormal, 50000, State::Success},
      {"region smaller than the body", Mode::kNormal, 20000, State::DataMismatch},
      {"region that writes short", Mode::kShort, 50000, State::WriteFailed},
      {"region out of memory", Mode::kBadAlloc, 50000, State::OutOfMemory},
      {"region that fails otherwise", Mode::kOther, 50000, State::WriteFailed},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    auto region = std::make_shared<MemoryRegion>(0, c.regionSize - 1, c.mode);
    BoundedDataWriter writer(region);
    CurlRequest request(RequestParams(server.Url("/f.bin"), &writer), "");
    const RequestResult result = request.Perform();
    EXPECT_EQ(ToString(result.state), std::string(ToString(c.expected))) << result.errorDetails;
    EXPECT_LE(result.bytesWritten, c.regionSize);
    EXPECT_EQ(region->Tell(), result.bytesWritten);
    // The writer's own account of the failure reaches the result, not libcurl's code.
    if (c.expected != State::Success) {
      EXPECT_EQ(result.errorDetails.rfind("BoundedDataWriter: ", 0), 0u) << result.errorDetails;
    }
    EXPECT_EQ(region->Bytes().substr(0, result.bytesWritten), body.substr(0, result.bytesWritten));
  }
}

}  // namespace
}  // namespace kiv::http
