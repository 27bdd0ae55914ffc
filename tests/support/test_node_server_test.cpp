#include "support/test_node_server.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/time.h>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/write.hpp>
#include <chrono>
#include <fstream>
#include <future>
#include <sstream>
#include <thread>

#include "kiv/http/curl_request.h"
#include "kiv/http/stringstream_writer.h"

namespace kiv::test {
namespace {

using namespace std::chrono_literals;
namespace asio = boost::asio;
using tcp = asio::ip::tcp;

// Sends a raw request and reads the answer until the server closes (at most 10 s).
std::string Exchange(uint16_t port, const std::string& request) {
  asio::io_context io;
  tcp::socket socket(io);
  socket.connect(tcp::endpoint(asio::ip::make_address("127.0.0.1"), port));
  timeval limit{10, 0};
  ::setsockopt(socket.native_handle(), SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  asio::write(socket, asio::buffer(request));
  std::string answer;
  char buffer[4096];
  boost::system::error_code ec;
  while (true) {
    const size_t n = socket.read_some(asio::buffer(buffer), ec);
    if (ec) break;
    answer.append(buffer, n);
  }
  return answer;
}

std::string Get(const std::string& target, const std::string& extraHeaders = "") {
  return "GET " + target + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n" + extraHeaders + "\r\n";
}

std::string BodyOf(const std::string& answer) {
  const size_t end = answer.find("\r\n\r\n");
  return end == std::string::npos ? std::string() : answer.substr(end + 4);
}

std::string StatusLineOf(const std::string& answer) {
  return answer.substr(0, answer.find("\r\n"));
}

class TestNodeServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = std::filesystem::temp_directory_path() /
            ("kiv_node_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(root_ / "pkg");
    std::ofstream(root_ / "pkg" / "disk.bin", std::ios::binary) << "0123456789";
    std::ofstream(root_ / "secret.txt") << "secret";
  }
  void TearDown() override { std::filesystem::remove_all(root_); }

  std::filesystem::path root_;
};

TEST_F(TestNodeServerTest, ServesFilesAndSingleRanges) {
  TestNodeServer server(root_ / "pkg");
  server.AddFile("/mem.bin", "abcdefghij");
  server.Start();
  struct Case {
    const char* name;
    std::string target;
    std::string range;
    std::string status;
    std::string body;
    std::string contentRange;
  };
  const Case kCases[] = {
      {"disk file", "/disk.bin", "", "HTTP/1.1 200 OK", "0123456789", ""},
      {"memory file", "/mem.bin", "", "HTTP/1.1 200 OK", "abcdefghij", ""},
      {"percent-encoded path", "/m%65m.bin?query=1", "", "HTTP/1.1 200 OK", "abcdefghij", ""},
      {"closed range", "/disk.bin", "bytes=2-4", "HTTP/1.1 206 Partial Content", "234",
       "bytes 2-4/10"},
      {"open range", "/disk.bin", "bytes=7-", "HTTP/1.1 206 Partial Content", "789",
       "bytes 7-9/10"},
      {"suffix range", "/mem.bin", "bytes=-2", "HTTP/1.1 206 Partial Content", "ij",
       "bytes 8-9/10"},
      {"range past the end is clipped", "/mem.bin", "bytes=8-100", "HTTP/1.1 206 Partial Content",
       "ij", "bytes 8-9/10"},
      {"unsatisfiable", "/mem.bin", "bytes=10-12", "HTTP/1.1 416 Range Not Satisfiable", "",
       "bytes */10"},
      {"several ranges are ignored", "/mem.bin", "bytes=0-1,4-5", "HTTP/1.1 200 OK", "abcdefghij",
       ""},
      {"malformed range is ignored", "/mem.bin", "bytes=5-2", "HTTP/1.1 200 OK", "abcdefghij", ""},
      {"missing", "/none.bin", "", "HTTP/1.1 404 Not Found", "not found\n", ""},
      {"no escape from the root", "/../secret.txt", "", "HTTP/1.1 404 Not Found", "not found\n",
       ""},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const std::string answer =
        Exchange(server.Port(), Get(c.target, c.range.empty() ? "" : "Range: " + c.range + "\r\n"));
    EXPECT_EQ(StatusLineOf(answer), c.status);
    EXPECT_EQ(BodyOf(answer), c.body);
    if (!c.contentRange.empty()) {
      EXPECT_NE(answer.find("Content-Range: " + c.contentRange + "\r\n"), std::string::npos);
    }
  }
}

TEST_F(TestNodeServerTest, RecordsRequestsAndAppliesFaultsByPathAndNumber) {
  TestNodeServer server;
  server.AddFile("/f", "abcdef");
  server.Start();
  Fault unavailable;
  unavailable.status = 503;
  Fault corrupt;
  corrupt.corruptAt = 2;
  Fault ignoreRange;
  ignoreRange.ignoreRange = true;
  server.SetFault("/f", unavailable, 2);
  server.SetFaultForRequest(4, corrupt);
  server.SetFaultForRequest(5, ignoreRange);
  const std::string kStatus503 = "HTTP/1.1 503 Service Unavailable";
  EXPECT_EQ(StatusLineOf(Exchange(server.Port(), Get("/f"))), kStatus503);
  EXPECT_EQ(StatusLineOf(Exchange(server.Port(), Get("/f"))), kStatus503);
  EXPECT_EQ(BodyOf(Exchange(server.Port(), Get("/f"))), "abcdef");
  EXPECT_EQ(BodyOf(Exchange(server.Port(), Get("/f"))), std::string("ab\x9c"
                                                                    "def"));
  EXPECT_EQ(BodyOf(Exchange(server.Port(), Get("/f", "Range: bytes=1-2\r\n"))), "abcdef");
  Fault redirect;
  redirect.redirectTo = "/elsewhere";
  server.SetFault("/f", redirect, 1);
  const std::string answer = Exchange(server.Port(), Get("/f"));
  EXPECT_EQ(StatusLineOf(answer), "HTTP/1.1 302 Found");
  EXPECT_NE(answer.find("Location: /elsewhere\r\n"), std::string::npos);

  Exchange(server.Port(),
           "POST /post HTTP/1.1\r\nHost: x\r\nConnection: close\r\n"
           "Content-Type: application/json\r\nUser-Agent: ua\r\n"
           "Content-Length: 7\r\n\r\n{\"a\":1}");
  Fault down;
  down.status = 500;
  server.SetFault("*", down, 1);
  EXPECT_EQ(StatusLineOf(Exchange(server.Port(), Get("/other"))),
            "HTTP/1.1 500 Internal Server Error");
  EXPECT_EQ(StatusLineOf(Exchange(server.Port(), Get("/other"))), "HTTP/1.1 404 Not Found");
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 9u);
  for (size_t i = 0; i < requests.size(); ++i) EXPECT_EQ(requests[i].number, i + 1);
  EXPECT_EQ(requests[4].range, "bytes=1-2");
  EXPECT_EQ(requests[4].Header("range"), "bytes=1-2");
  EXPECT_EQ(requests[6].method, "POST");
  EXPECT_EQ(requests[6].path, "/post");
  EXPECT_EQ(requests[6].body, "{\"a\":1}");
  EXPECT_EQ(requests[6].contentType, "application/json");
  EXPECT_EQ(requests[6].userAgent, "ua");
  EXPECT_EQ(server.ConnectionCount(), 9u);
}

TEST_F(TestNodeServerTest, ResetCutsTheBodyShort) {
  TestNodeServer server;
  server.AddFile("/f", std::string(100000, 'x'));
  server.Start();
  Fault reset;
  reset.resetAfterBytes = 10;
  server.SetFault("/f", reset);
  const std::string answer = Exchange(server.Port(), Get("/f"));
  EXPECT_EQ(StatusLineOf(answer), "HTTP/1.1 200 OK");
  EXPECT_LE(BodyOf(answer).size(), 10u);
}

TEST_F(TestNodeServerTest, StopEndsStalledAndSlowTransfersPromptly) {
  struct Case {
    const char* name;
    Fault fault;
  };
  Fault stall;
  stall.stall = 60s;
  Fault stallInBody;
  stallInBody.stall = 60s;
  stallInBody.stallAfterBytes = 3;
  Fault slow;
  slow.bytesPerSecond = 1;
  const Case kCases[] = {{"stall", stall}, {"stall in the body", stallInBody}, {"slow", slow}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    TestNodeServer server;
    server.AddFile("/f", "abcdefgh");
    server.SetFault("/f", c.fault);
    server.Start();
    std::stringstream stream;
    kiv::http::StringstreamWriter writer(&stream);
    kiv::http::CurlRequest request(kiv::http::RequestParams(server.Url("/f"), &writer), "");
    auto performed = std::async(std::launch::async, [&] { return request.Perform(); });
    for (int i = 0; i < 1000 && server.RequestCount() == 0; ++i) std::this_thread::sleep_for(5ms);
    ASSERT_EQ(server.RequestCount(), 1u);
    const auto start = std::chrono::steady_clock::now();
    server.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
    ASSERT_EQ(performed.wait_for(10s), std::future_status::ready);
    EXPECT_NE(performed.get().state, kiv::http::State::Success);
  }
}

}  // namespace
}  // namespace kiv::test
