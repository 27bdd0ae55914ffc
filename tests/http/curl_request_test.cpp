#include "kiv/http/curl_request.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <future>
#include <thread>

#include "http/test_util.h"
#include "kiv/engine/constants.h"
#include "support/test_node_server.h"

namespace kiv::http {
namespace {

using namespace std::chrono_literals;
using kiv::test::Fault;
using kiv::test::TestNodeServer;
using testing::Pattern;
using testing::Sink;

const std::string kBody = Pattern(100000);

class CurlRequestTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server_.AddFile("/data/file.bin", kBody);
    server_.AddFile("/small.txt", "hello");
    server_.Start();
  }

  RequestParams Params(const std::string& path) {
    return RequestParams(server_.Url(path), &sink_.writer);
  }

  bool WaitForRequests(size_t n) { return server_.WaitForRequests(n, 10s); }

  TestNodeServer server_;
  Sink sink_;
};

TEST_F(CurlRequestTest, FetchesBodiesAndRangesWithTheRightHeaders) {
  struct Case {
    const char* name;
    int64_t lower;
    int64_t upper;
    std::string acceptEncoding;
    std::string expectedRange;     // the Range header the server must see ("" = none)
    std::string expectedEncoding;  // the Accept-Encoding header the server must see
    std::string expectedBody;
    int expectedCode;
  };
  const Case kCases[] = {
      {"whole body", 0, RequestParams::kNoRangeUpper, "", "", "", kBody, 200},
      {"inner range", 10, 19, "", "bytes=10-19", "", kBody.substr(10, 10), 206},
      {"range from zero", 0, 99, "", "bytes=0-99", "", kBody.substr(0, 100), 206},
      {"range to the end", 99990, RequestParams::kNoRangeUpper, "", "bytes=99990-", "",
       kBody.substr(99990), 206},
      {"encoding without range", 0, RequestParams::kNoRangeUpper, "identity", "", "identity", kBody,
       200},
      {"range wins over encoding", 5, 9, "identity", "bytes=5-9", "", kBody.substr(5, 5), 206},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Sink sink;
    RequestParams params(server_.Url("/data/file.bin"), &sink.writer);
    params.rangeLower = c.lower;
    params.rangeUpper = c.upper;
    params.acceptEncoding = c.acceptEncoding;
    server_.ClearRequests();
    CurlRequest request(params, "");
    const RequestResult result = request.Perform();
    EXPECT_EQ(ToString(result.state), std::string("Success")) << result.errorDetails;
    EXPECT_EQ(result.httpResponseCode, c.expectedCode);
    EXPECT_EQ(result.bytesWritten, c.expectedBody.size());
    EXPECT_TRUE(sink.Text() == c.expectedBody);
    EXPECT_EQ(result.ip, "127.0.0.1");
    EXPECT_TRUE(result.errorDetails.empty());
    EXPECT_LE(result.firstByteTimeMs, result.requestTimeMs);
    EXPECT_LE(result.requestTimeMs, 5000u);  // the default connect time-out bounds the report
    const auto requests = server_.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].range, c.expectedRange);
    EXPECT_EQ(requests[0].acceptEncoding, c.expectedEncoding);
    EXPECT_EQ(requests[0].userAgent, kiv::UserAgent);
  }
}

TEST_F(CurlRequestTest, FailuresBecomeStatesWithDetails) {
  struct Case {
    const char* name;
    std::string path;
    Fault fault;
    int32_t timeout;
    int64_t lower;
    int64_t upper;
    State expected;
    std::string details;  // "" = not checked
    int expectedCode;     // -1 = not checked
  };
  Fault notFound;
  notFound.status = 404;
  Fault unavailable;
  unavailable.status = 503;
  Fault reset;
  reset.resetAfterBytes = 1000;
  Fault stallBeforeAnswer;
  stallBeforeAnswer.stall = 10s;
  Fault stallInBody;
  stallInBody.stall = 10s;
  stallInBody.stallAfterBytes = 500;
  Fault redirect;
  redirect.redirectTo = "/small.txt";
  Fault redirectToChain;
  redirectToChain.redirectTo = "/chain";
  Fault redirectToFile;
  redirectToFile.redirectTo = "file:///etc/passwd";
  Fault ignoreRange;
  ignoreRange.ignoreRange = true;
  const int64_t all = RequestParams::kNoRangeUpper;
  const Case kCases[] = {
      {"404", "/data/file.bin", notFound, 0, 0, all, State::HttpClientError,
       "libcurl error 22 (HTTP 404)", 404},
      {"missing file", "/nothing.bin", Fault{}, 0, 0, all, State::HttpClientError,
       "libcurl error 22 (HTTP 404)", 404},
      {"503", "/data/file.bin", unavailable, 0, 0, all, State::HttpServerError,
       "libcurl error 22 (HTTP 503)", 503},
      {"reset mid-body", "/data/file.bin", reset, 0, 0, all, State::ConnectionReset, "", 200},
      {"stall before the answer", "/data/file.bin", stallBeforeAnswer, 1, 0, all, State::Timeout,
       "libcurl error 28 (HTTP 0)", 0},
      {"stall in the body", "/data/file.bin", stallInBody, 1, 0, all, State::Timeout,
       "libcurl error 28 (HTTP 200)", 200},
      {"one redirect is followed", "/moved", redirect, 0, 0, all, State::Success, "", 200},
      {"a second redirect is not", "/moved2", redirectToChain, 0, 0, all, State::OtherError, "",
       -1},
      {"redirect to another scheme", "/moved3", redirectToFile, 0, 0, all, State::BadUrl, "", -1},
      {"ignored range past byte 0", "/data/file.bin", ignoreRange, 0, 10, 19, State::DataMismatch,
       "", 200},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    server_.SetFault("/chain", redirectToChain);
    server_.SetFault(c.path, c.fault);
    Sink sink;
    RequestParams params(server_.Url(c.path), &sink.writer);
    params.timeout = c.timeout;
    params.rangeLower = c.lower;
    params.rangeUpper = c.upper;
    CurlRequest request(params, "");
    const RequestResult result = request.Perform();
    EXPECT_EQ(ToString(result.state), std::string(ToString(c.expected))) << result.errorDetails;
    if (!c.details.empty()) {
      EXPECT_EQ(result.errorDetails, c.details);
    }
    if (c.expectedCode >= 0) {
      EXPECT_EQ(result.httpResponseCode, c.expectedCode);
    }
    if (c.expected == State::Success) {
      EXPECT_EQ(sink.Text(), "hello");
    } else {
      EXPECT_FALSE(result.errorDetails.empty());
      EXPECT_LT(result.bytesWritten, kBody.size());
    }
    server_.ClearFaults();
  }
}

TEST_F(CurlRequestTest, BadAddressesFailWithoutAnswer) {
  TestNodeServer closed;
  closed.Start();
  const std::string closedUrl = closed.Url("/x");
  closed.Stop();
  struct Case {
    const char* name;
    std::string url;
    State expected;
  };
  const Case kCases[] = {
      {"unsupported scheme", "ftp://127.0.0.1/x", State::BadUrl},
      {"file scheme", "file:///etc/hostname", State::BadUrl},
      {"malformed", "http://", State::BadUrl},
      {"unresolvable host", "http://no-such-host.invalid/x", State::ResolveFailed},
      {"refused connection", closedUrl, State::ConnectFailed},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Sink sink;
    CurlRequest request(RequestParams(c.url, &sink.writer), "");
    const RequestResult result = request.Perform();
    EXPECT_EQ(ToString(result.state), std::string(ToString(c.expected))) << result.errorDetails;
    EXPECT_EQ(result.bytesWritten, 0u);
    EXPECT_EQ(result.httpResponseCode, 0);
  }
}

TEST_F(CurlRequestTest, SlowBodyBelowTheLowSpeedLimitTimesOut) {
  Fault slow;
  slow.bytesPerSecond = 2000;
  server_.SetFault("/data/file.bin", slow);
  RequestParams params = Params("/data/file.bin");
  params.lowSpeedLimit = 100000;
  params.lowSpeedTime = 1;
  CurlRequest request(params, "");
  const RequestResult result = request.Perform();
  EXPECT_EQ(result.state, State::Timeout) << result.errorDetails;
  EXPECT_GT(result.bytesWritten, 0u);
  EXPECT_LT(result.bytesWritten, kBody.size());
}

TEST_F(CurlRequestTest, CancelBeforePerformTouchesNoNetwork) {
  CurlRequest request(Params("/data/file.bin"), "");
  request.Cancel();
  const RequestResult result = request.Perform();
  EXPECT_EQ(result.state, State::Cancelled);
  EXPECT_TRUE(result.errorDetails.empty());
  EXPECT_EQ(result.bytesWritten, 0u);
  EXPECT_EQ(server_.RequestCount(), 0u);
}

TEST_F(CurlRequestTest, CancelFromAnotherThreadStopsARunningTransferPromptly) {
  struct Case {
    const char* name;
    Fault fault;
  };
  Fault stall;
  stall.stall = 20s;
  Fault stallInBody;
  stallInBody.stall = 20s;
  stallInBody.stallAfterBytes = 1000;
  Fault slow;
  slow.bytesPerSecond = 1000;
  const Case kCases[] = {
      {"waiting for the answer", stall}, {"waiting in the body", stallInBody}, {"slow body", slow}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    server_.ClearRequests();
    server_.SetFault("/data/file.bin", c.fault);
    Sink sink;
    CurlRequest request(RequestParams(server_.Url("/data/file.bin"), &sink.writer), "");
    const auto start = std::chrono::steady_clock::now();
    auto performed = std::async(std::launch::async, [&] { return request.Perform(); });
    ASSERT_TRUE(WaitForRequests(1));
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(request.GetResult().state, State::Running);
    request.Cancel();
    ASSERT_EQ(performed.wait_for(10s), std::future_status::ready);
    const RequestResult result = performed.get();
    // Well before the server would have ended the transfer by itself.
    EXPECT_LT(std::chrono::steady_clock::now() - start, 15s);
    EXPECT_EQ(result.state, State::Cancelled);
    EXPECT_TRUE(result.errorDetails.empty());
    EXPECT_LT(result.bytesWritten, kBody.size());
    EXPECT_EQ(result.bytesWritten, sink.Text().size());
    // Cancel after the end changes nothing.
    request.Cancel();
    EXPECT_EQ(request.GetResult().state, State::Cancelled);
  }
}

TEST_F(CurlRequestTest, ResetIsRefusedWhileRunningAndReusesTheConnectionAfterwards) {
  Fault slow;
  slow.bytesPerSecond = 50000;
  server_.SetFault("/data/file.bin", slow, 1);
  CurlRequest request(Params("/data/file.bin"), "");
  auto performed = std::async(std::launch::async, [&] { return request.Perform(); });
  ASSERT_TRUE(WaitForRequests(1));
  Sink other;
  EXPECT_FALSE(request.Reset(RequestParams(server_.Url("/small.txt"), &other.writer), ""));
  const RequestResult first = performed.get();
  EXPECT_EQ(first.state, State::Success);
  EXPECT_TRUE(sink_.Text() == kBody);
  EXPECT_TRUE(other.Text().empty());

  // Performing again without a reset returns the same result without a request.
  EXPECT_EQ(request.Perform().state, State::Success);
  EXPECT_EQ(server_.RequestCount(), 1u);

  ASSERT_TRUE(request.Reset(RequestParams(server_.Url("/small.txt"), &other.writer), ""));
  const RequestResult fresh = request.GetResult();
  EXPECT_EQ(fresh.state, State::Idle);
  EXPECT_EQ(fresh.bytesWritten, 0u);
  EXPECT_EQ(fresh.httpResponseCode, 0);
  EXPECT_TRUE(fresh.ip.empty());
  const RequestResult second = request.Perform();
  EXPECT_EQ(second.state, State::Success);
  EXPECT_EQ(other.Text(), "hello");
  const auto requests = server_.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].connection, requests[1].connection);
  EXPECT_EQ(server_.ConnectionCount(), 1u);
}

// A writer that holds the transfer inside its first call until the test lets it go, so the
// test knows libcurl is still using the request's parameters.
class GateWriter : public WriteCallback {
 public:
  RequestResult Write(const void*, uint64_t size) override {
    entered_.set_value();
    release_.get_future().wait();
    return RequestResult(State::Success, size);
  }
  std::promise<void> entered_;
  std::promise<void> release_;
};

TEST_F(CurlRequestTest, ResetWaitsForTheTransferToEndEvenAfterCancel) {
  GateWriter gate;
  auto entered = gate.entered_.get_future();
  CurlRequest request(RequestParams(server_.Url("/data/file.bin"), &gate), "");
  auto performed = std::async(std::launch::async, [&] { return request.Perform(); });
  ASSERT_EQ(entered.wait_for(10s), std::future_status::ready);
  request.Cancel();
  EXPECT_EQ(request.GetResult().state, State::Cancelled);
  // Cancelled, but libcurl still runs on the old parameters: they must not be replaced.
  Sink other;
  EXPECT_FALSE(request.Reset(RequestParams(server_.Url("/small.txt"), &other.writer), ""));
  gate.release_.set_value();
  const RequestResult result = performed.get();
  EXPECT_EQ(result.state, State::Cancelled);
  EXPECT_TRUE(request.Reset(RequestParams(server_.Url("/small.txt"), &other.writer), ""));
  EXPECT_EQ(request.Perform().state, State::Success);
  EXPECT_EQ(other.Text(), "hello");
}

// Cancel and Reset at arbitrary moments of a reused request: every run ends Cancelled or
// Success, never in between, and the request is always reusable afterwards.
TEST_F(CurlRequestTest, CancelAtAnyMomentLeavesAReusableRequest) {
  Fault slow;
  slow.bytesPerSecond = 400000;
  server_.SetFault("/data/file.bin", slow);
  CurlRequest request(Params("/data/file.bin"), "");
  for (int i = 0; i < 20; ++i) {
    SCOPED_TRACE(i);
    Sink sink;
    ASSERT_TRUE(request.Reset(RequestParams(server_.Url("/data/file.bin"), &sink.writer), ""));
    auto performed = std::async(std::launch::async, [&] { return request.Perform(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(i * 7 % 60));
    request.Cancel();
    const RequestResult result = performed.get();
    EXPECT_TRUE(result.state == State::Cancelled || result.state == State::Success)
        << ToString(result.state) << " " << result.errorDetails;
    EXPECT_EQ(result.bytesWritten, sink.Text().size());
    EXPECT_EQ(sink.Text(), kBody.substr(0, sink.Text().size()));
  }
}

TEST_F(CurlRequestTest, PostSendsBodyAndContentType) {
  struct Case {
    const char* name;
    std::string body;
    std::string contentType;  // "" = the default
    std::string expectedType;
  };
  const Case kCases[] = {
      {"json", "{\"a\":1}", "application/json", "application/json"},
      {"default form type", "a=1&b=2", "", "application/x-www-form-urlencoded"},
      {"binary with a zero byte", std::string("x\0y", 3), "application/octet-stream",
       "application/octet-stream"},
      {"empty", "", "application/json", "application/json"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    server_.ClearRequests();
    Sink sink;
    RequestParams params(server_.Url("/events"), &sink.writer);
    params.method = RequestParams::kPost;
    params.body = c.body;
    if (!c.contentType.empty()) params.contentType = c.contentType;
    params.userAgent = "agent/1";
    CurlRequest request(params, "");
    EXPECT_EQ(request.Perform().state, State::Success);
    const auto requests = server_.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].body, c.body);
    EXPECT_EQ(requests[0].contentType, c.expectedType);
    EXPECT_EQ(requests[0].userAgent, "agent/1");
    EXPECT_EQ(requests[0].range, "");
  }
}

TEST_F(CurlRequestTest, TheGivenProxyIsTheOnlyOne) {
  TestNodeServer proxy;
  proxy.EnableProxy(true);
  proxy.Start();
  // A proxy in the environment must not be used: the request's own choice (direct) wins.
  ::setenv("http_proxy", "http://127.0.0.1:1", 1);
  CurlRequest direct(Params("/small.txt"), "");
  const RequestResult directResult = direct.Perform();
  ::unsetenv("http_proxy");
  EXPECT_EQ(directResult.state, State::Success) << directResult.errorDetails;

  // Nor may the environment's bypass list send a proxied request direct.
  Sink sink;
  ::setenv("no_proxy", "127.0.0.1", 1);
  CurlRequest proxied(RequestParams(server_.Url("/small.txt"), &sink.writer), proxy.Host());
  const RequestResult result = proxied.Perform();
  ::unsetenv("no_proxy");
  EXPECT_EQ(result.state, State::Success) << result.errorDetails;
  EXPECT_EQ(sink.Text(), "hello");
  const auto seen = proxy.Requests();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].target, server_.Url("/small.txt"));
  EXPECT_EQ(server_.RequestCount(), 2u);
}

TEST(CurlRequestMapping, LibcurlCodesMapToStates) {
  struct Case {
    int code;
    long http;
    State expected;
  };
  const Case kCases[] = {
      {0, 200, State::Success},
      {1, 0, State::BadUrl},
      {3, 0, State::BadUrl},
      {4, 0, State::BadUrl},
      {5, 0, State::ResolveFailed},
      {6, 0, State::ResolveFailed},
      {7, 0, State::ConnectFailed},
      {9, 403, State::HttpClientError},
      {22, 404, State::HttpClientError},
      {22, 499, State::HttpClientError},
      {22, 500, State::HttpServerError},
      {78, 550, State::HttpServerError},
      {55, 0, State::ConnectionReset},
      {56, 200, State::ConnectionReset},
      {23, 200, State::WriteFailed},
      {18, 206, State::DataMismatch},
      {33, 206, State::DataMismatch},
      {28, 0, State::Timeout},
      {27, 0, State::OutOfMemory},
      {2, 0, State::OtherError},
      {42, 0, State::OtherError},
      {47, 302, State::OtherError},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(StateFromCurlCode(c.code, c.http), c.expected);
  }
}

TEST(CurlRequestMapping, ReportedTimesAreClippedToTheRequestBudget) {
  struct Case {
    const char* name;
    double seconds;
    int32_t connectTimeout;
    int32_t timeout;
    uint32_t expected;
  };
  const Case kCases[] = {
      {"no time-outs report nothing", 1.5, 0, 0, 0},
      {"defaults bound at the connect time-out", 7.0, 5, 0, 5000},
      {"below the budget", 1.2345, 5, 0, 1234},
      {"both time-outs add up", 100.0, 5, 30, 35000},
      {"negative time-outs get a week", 1e9, -1, -1, 604800000u},
      {"non-positive time", -1.0, 5, 10, 0},
      {"not a number", std::nan(""), 5, 10, 0},
      {"beyond 32 bits of milliseconds", 5e6, 5000000, 0, 4294967295u},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ClippedTimeMs(c.seconds, c.connectTimeout, c.timeout), c.expected);
  }
}

}  // namespace
}  // namespace kiv::http
