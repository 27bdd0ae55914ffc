// A download node for tests: a small HTTP/1.1 server on 127.0.0.1 that serves files (whole or
// one byte range), records every request, injects faults per path or per request number, and
// can act as a plain forward proxy. Stop() returns promptly even while a client is stalled.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace kiv::test {

// What to do wrong with one answer. The default is a correct answer.
struct Fault {
  // Answer with this status (and a short text body) instead of the file, e.g. 404 or 503.
  int status = 0;
  // Answer "302 Found" with this Location: a path on this server ("/b.bin") or a full URL.
  std::string redirectTo;
  // Answer 200 with the whole file even when a Range was asked for.
  bool ignoreRange = false;
  // Send the headers and this many body bytes, then reset the connection (TCP RST).
  int64_t resetAfterBytes = -1;
  // Go silent for this long: before the status line when stallAfterBytes is -1, otherwise
  // after that many body bytes. Stop() ends a stall at once.
  std::chrono::milliseconds stall{0};
  int64_t stallAfterBytes = -1;
  // Send the body at about this many bytes per second; 0 = as fast as possible.
  uint64_t bytesPerSecond = 0;
  // Flip every bit of the body byte at this offset (of the bytes sent, range or whole).
  int64_t corruptAt = -1;
};

struct RecordedRequest {
  size_t number = 0;      // 1-based, in order of arrival
  size_t connection = 0;  // 1-based id of the TCP connection it came on
  std::string method;
  std::string target;  // as sent: "/a/b.bin?x" or, through a proxy, "http://host/a/b.bin"
  std::string path;    // target without query, percent-decoded
  std::string range;   // the Range header, empty if none
  std::string userAgent;
  std::string contentType;
  std::string acceptEncoding;
  std::string body;
  std::vector<std::pair<std::string, std::string>> headers;

  // The first header of that name (case-insensitive), empty if none.
  std::string Header(std::string_view name) const;
};

class TestNodeServer {
 public:
  // Serves only files added with AddFile.
  TestNodeServer();
  // Also serves the files below root ("/a/b.bin" is root/a/b.bin).
  explicit TestNodeServer(std::filesystem::path root);
  ~TestNodeServer();
  TestNodeServer(const TestNodeServer&) = delete;
  TestNodeServer& operator=(const TestNodeServer&) = delete;

  // An in-memory file; it wins over a file of the same path below root. path begins with '/'.
  void AddFile(const std::string& path, std::string bytes);

  // Listens on 127.0.0.1 on an ephemeral port. Throws if the socket cannot be opened.
  void Start();
  // Closes every connection, ends stalls and joins all threads. Idempotent.
  void Stop();

  uint16_t Port() const { return port_; }
  // "127.0.0.1:<port>", as a node list names a host.
  std::string Host() const;
  // "http://127.0.0.1:<port>" + path ('/' added in front when missing).
  std::string Url(std::string_view path) const;

  // The next `times` requests for this path (all of them when times < 0) get the fault; the
  // path "*" stands for every path without a rule of its own.
  void SetFault(const std::string& path, const Fault& fault, int times = -1);
  // The request with this overall number (see RecordedRequest::number) gets the fault; it
  // wins over a path fault.
  void SetFaultForRequest(size_t number, const Fault& fault);
  void ClearFaults();

  // Forward requests whose target is an absolute URL ("GET http://host:port/x") to that host,
  // as a plain (CONNECT-less) HTTP proxy does. Off by default.
  void EnableProxy(bool enable);

  std::vector<RecordedRequest> Requests() const;
  size_t RequestCount() const;
  // Waits until at least n requests have arrived; false when the time-out passed first.
  bool WaitForRequests(size_t n, std::chrono::milliseconds timeout) const;
  size_t ConnectionCount() const;
  void ClearRequests();

 private:
  struct PathFault {
    Fault fault;
    int remaining;  // < 0: unlimited
  };
  struct Connection;

  void AcceptLoop();
  void Serve(const std::shared_ptr<Connection>& connection);
  Fault TakeFault(const std::string& path, size_t number);
  struct FileSource;
  // The file at a request path, or none; read slice by slice while the body is sent.
  std::unique_ptr<FileSource> OpenFile(const std::string& path) const;
  bool Pause(std::chrono::milliseconds duration);
  void Register(int fd);
  void Unregister(int fd);

  const std::filesystem::path root_;
  uint16_t port_ = 0;
  int listenFd_ = -1;

  mutable std::mutex mutex_;
  std::condition_variable stopped_;
  mutable std::condition_variable arrived_;
  bool running_ = false;
  bool stopping_ = false;
  bool proxy_ = false;
  std::map<std::string, std::shared_ptr<const std::string>> files_;
  std::map<std::string, PathFault> pathFaults_;
  std::map<size_t, Fault> numberFaults_;
  std::vector<RecordedRequest> requests_;
  size_t requestCount_ = 0;
  size_t connectionCount_ = 0;
  std::set<int> openFds_;
  std::vector<std::thread> threads_;

  // Owns the io_context and the acceptor without pulling Asio into this header.
  struct Impl;
  std::unique_ptr<Impl> impl_;
  std::thread acceptThread_;
};

}  // namespace kiv::test
