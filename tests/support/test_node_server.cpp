#include "support/test_node_server.h"

#include <sys/socket.h>

#include <algorithm>
#include <boost/asio/connect.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http.hpp>
#include <cctype>
#include <fstream>
#include <stdexcept>

namespace kiv::test {
namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = boost::beast::http;
using tcp = asio::ip::tcp;

// Largest request body (POST) the server reads; larger requests end the connection.
constexpr uint64_t kMaxRequestBody = 64ull << 20;
constexpr size_t kSlice = size_t{64} * 1024;

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string PercentDecode(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() &&
        std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
      out += static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

// The path part of a target: origin-form or absolute-form, without query or fragment.
std::string PathOfTarget(std::string_view target) {
  if (target.rfind("http://", 0) == 0 || target.rfind("https://", 0) == 0) {
    const size_t slash = target.find('/', target.find("://") + 3);
    target = slash == std::string_view::npos ? std::string_view("/") : target.substr(slash);
  }
  const size_t end = target.find_first_of("?#");
  return PercentDecode(target.substr(0, end));
}

const char* Reason(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 206:
      return "Partial Content";
    case 301:
      return "Moved Permanently";
    case 302:
      return "Found";
    case 400:
      return "Bad Request";
    case 403:
      return "Forbidden";
    case 404:
      return "Not Found";
    case 416:
      return "Range Not Satisfiable";
    case 500:
      return "Internal Server Error";
    case 502:
      return "Bad Gateway";
    case 503:
      return "Service Unavailable";
    default:
      return "Status";
  }
}

// One satisfiable byte range of a body of `size` bytes, from a Range header.
struct ByteRange {
  enum Kind { kNone, kRange, kUnsatisfiable } kind = kNone;
  uint64_t first = 0;
  uint64_t last = 0;
};

bool ParseNumber(std::string_view text, uint64_t* value) {
  if (text.empty() || text.size() > 19) return false;
  uint64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<uint64_t>(c - '0');
  }
  *value = v;
  return true;
}

// Only one range is supported; anything else is ignored (a whole 200 answer), as HTTP allows.
ByteRange ParseRange(std::string_view header, uint64_t size) {
  ByteRange range;
  if (header.rfind("bytes=", 0) != 0) return range;
  std::string_view spec = header.substr(6);
  if (spec.find(',') != std::string_view::npos) return range;
  const size_t dash = spec.find('-');
  if (dash == std::string_view::npos) return range;
  const std::string_view a = spec.substr(0, dash);
  const std::string_view b = spec.substr(dash + 1);
  uint64_t first = 0;
  uint64_t last = 0;
  if (a.empty()) {  // suffix: the last n bytes
    if (!ParseNumber(b, &last)) return range;
    if (last == 0 || size == 0) {
      range.kind = ByteRange::kUnsatisfiable;
      return range;
    }
    range.kind = ByteRange::kRange;
    range.first = size - std::min(last, size);
    range.last = size - 1;
    return range;
  }
  if (!ParseNumber(a, &first)) return range;
  if (b.empty()) {
    last = UINT64_MAX;
  } else if (!ParseNumber(b, &last) || last < first) {
    return range;
  }
  if (first >= size) {
    range.kind = ByteRange::kUnsatisfiable;
    return range;
  }
  range.kind = ByteRange::kRange;
  range.first = first;
  range.last = std::min(last, size - 1);
  return range;
}

bool SafePath(const std::string& path) {
  if (path.empty() || path.front() != '/') return false;
  size_t start = 1;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    const std::string_view segment(path.data() + start, end - start);
    if (segment == ".." || segment.find('\0') != std::string_view::npos) return false;
    start = end + 1;
  }
  return true;
}

enum class Outcome { kKeepOpen, kClose, kReset };

}  // namespace

std::string RecordedRequest::Header(std::string_view name) const {
  const std::string wanted = Lower(name);
  for (const auto& [key, value] : headers) {
    if (Lower(key) == wanted) return value;
  }
  return {};
}

struct TestNodeServer::Impl {
  asio::io_context io;
  tcp::acceptor acceptor{io};
};

struct TestNodeServer::Connection {
  explicit Connection(tcp::socket s, size_t id) : socket(std::move(s)), id(id) {}
  tcp::socket socket;
  size_t id;
};

TestNodeServer::TestNodeServer() : TestNodeServer(std::filesystem::path()) {}

TestNodeServer::TestNodeServer(std::filesystem::path root)
    : root_(std::move(root)), impl_(std::make_unique<Impl>()) {}

TestNodeServer::~TestNodeServer() { Stop(); }

void TestNodeServer::AddFile(const std::string& path, std::string bytes) {
  std::lock_guard lock(mutex_);
  files_[path] = std::make_shared<const std::string>(std::move(bytes));
}

void TestNodeServer::Start() {
  {
    std::lock_guard lock(mutex_);
    if (running_) return;
    if (stopping_) throw std::logic_error("TestNodeServer::Start called after Stop");
  }
  tcp::acceptor& acceptor = impl_->acceptor;
  const tcp::endpoint endpoint(asio::ip::make_address("127.0.0.1"), 0);
  acceptor.open(endpoint.protocol());
  acceptor.set_option(tcp::acceptor::reuse_address(true));
  acceptor.bind(endpoint);
  acceptor.listen();
  port_ = acceptor.local_endpoint().port();
  listenFd_ = acceptor.native_handle();
  {
    std::lock_guard lock(mutex_);
    running_ = true;
  }
  acceptThread_ = std::thread([this] { AcceptLoop(); });
}

void TestNodeServer::Stop() {
  {
    std::lock_guard lock(mutex_);
    if (!running_ || stopping_) return;
    stopping_ = true;
    // Wakes the blocked accept (Linux fails it with EINVAL) and every blocked read or write.
    ::shutdown(listenFd_, SHUT_RDWR);
    for (int fd : openFds_) ::shutdown(fd, SHUT_RDWR);
  }
  stopped_.notify_all();
  if (acceptThread_.joinable()) acceptThread_.join();
  std::vector<std::thread> threads;
  {
    std::lock_guard lock(mutex_);
    threads.swap(threads_);
  }
  for (std::thread& thread : threads) thread.join();
  boost::system::error_code ec;
  impl_->acceptor.close(ec);
}

std::string TestNodeServer::Host() const { return "127.0.0.1:" + std::to_string(port_); }

std::string TestNodeServer::Url(std::string_view path) const {
  std::string url = "http://" + Host();
  if (path.empty() || path.front() != '/') url += '/';
  url += path;
  return url;
}

void TestNodeServer::SetFault(const std::string& path, const Fault& fault, int times) {
  std::lock_guard lock(mutex_);
  if (times == 0) {
    pathFaults_.erase(path);
    return;
  }
  pathFaults_[path] = PathFault{fault, times};
}

void TestNodeServer::SetFaultForRequest(size_t number, const Fault& fault) {
  std::lock_guard lock(mutex_);
  numberFaults_[number] = fault;
}

void TestNodeServer::ClearFaults() {
  std::lock_guard lock(mutex_);
  pathFaults_.clear();
  numberFaults_.clear();
}

void TestNodeServer::EnableProxy(bool enable) {
  std::lock_guard lock(mutex_);
  proxy_ = enable;
}

std::vector<RecordedRequest> TestNodeServer::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

size_t TestNodeServer::RequestCount() const {
  std::lock_guard lock(mutex_);
  return requests_.size();
}

bool TestNodeServer::WaitForRequests(size_t n, std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  return arrived_.wait_for(lock, timeout, [&] { return requests_.size() >= n; });
}

size_t TestNodeServer::ConnectionCount() const {
  std::lock_guard lock(mutex_);
  return connectionCount_;
}

void TestNodeServer::ClearRequests() {
  std::lock_guard lock(mutex_);
  requests_.clear();
}

void TestNodeServer::Register(int fd) {
  std::lock_guard lock(mutex_);
  openFds_.insert(fd);
  // A connection that arrives while stopping must not block forever.
  if (stopping_) ::shutdown(fd, SHUT_RDWR);
}

void TestNodeServer::Unregister(int fd) {
  std::lock_guard lock(mutex_);
  openFds_.erase(fd);
}

bool TestNodeServer::Pause(std::chrono::milliseconds duration) {
  std::unique_lock lock(mutex_);
  return !stopped_.wait_for(lock, duration, [this] { return stopping_; });
}

Fault TestNodeServer::TakeFault(const std::string& path, size_t number) {
  std::lock_guard lock(mutex_);
  if (auto it = numberFaults_.find(number); it != numberFaults_.end()) return it->second;
  auto it = pathFaults_.find(path);
  if (it == pathFaults_.end()) it = pathFaults_.find("*");
  if (it == pathFaults_.end()) return Fault{};
  Fault fault = it->second.fault;
  if (it->second.remaining > 0 && --it->second.remaining == 0) pathFaults_.erase(it);
  return fault;
}

struct TestNodeServer::FileSource {
  std::shared_ptr<const std::string> memory;
  std::ifstream disk;
  uint64_t size = 0;

  bool Read(uint64_t offset, uint64_t n, std::string* out) {
    if (memory) {
      *out = memory->substr(offset, n);
      return out->size() == n;
    }
    out->resize(n);
    disk.seekg(static_cast<std::streamoff>(offset));
    disk.read(out->data(), static_cast<std::streamsize>(n));
    return static_cast<bool>(disk);
  }
};

std::unique_ptr<TestNodeServer::FileSource> TestNodeServer::OpenFile(
    const std::string& path) const {
  auto source = std::make_unique<FileSource>();
  {
    std::lock_guard lock(mutex_);
    if (auto it = files_.find(path); it != files_.end()) {
      source->memory = it->second;
      source->size = it->second->size();
      return source;
    }
  }
  if (root_.empty() || !SafePath(path)) return nullptr;
  const std::filesystem::path file = root_ / path.substr(1);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return nullptr;
  source->size = std::filesystem::file_size(file, ec);
  if (ec) return nullptr;
  source->disk.open(file, std::ios::binary);
  if (!source->disk) return nullptr;
  return source;
}

void TestNodeServer::AcceptLoop() {
  while (true) {
    tcp::socket socket(impl_->io);
    boost::system::error_code ec;
    impl_->acceptor.accept(socket, ec);
    std::lock_guard lock(mutex_);
    if (stopping_) return;
    if (ec) continue;
    auto connection = std::make_shared<Connection>(std::move(socket), ++connectionCount_);
    const int fd = connection->socket.native_handle();
    openFds_.insert(fd);
    threads_.emplace_back([this, connection] { Serve(connection); });
  }
}

void TestNodeServer::Serve(const std::shared_ptr<Connection>& connection) {
  tcp::socket& socket = connection->socket;
  const int fd = socket.native_handle();
  beast::flat_buffer buffer;
  boost::system::error_code ec;

  auto send = [&](std::string_view bytes) {
    asio::write(socket, asio::buffer(bytes.data(), bytes.size()), ec);
    return !ec;
  };
  auto head = [](int status, uint64_t length, bool keepAlive, const std::string& extra) {
    std::string text = "HTTP/1.1 " + std::to_string(status) + " " + Reason(status) + "\r\n";
    text += "Content-Length: " + std::to_string(length) + "\r\n";
    text += extra;
    text += keepAlive ? "Connection: keep-alive\r\n" : "Connection: close\r\n";
    text += "\r\n";
    return text;
  };

  // Answers one request; the body goes out in slices so that the faults can act mid-body.
  auto respond = [&](const http::request<http::string_body>& request, const RecordedRequest& record,
                     const Fault& fault) -> Outcome {
    const bool keepAlive = request.keep_alive();
    const Outcome done = keepAlive ? Outcome::kKeepOpen : Outcome::kClose;
    if (fault.stall.count() > 0 && fault.stallAfterBytes < 0 && !Pause(fault.stall)) {
      return Outcome::kClose;
    }
    if (fault.status != 0) {
      const std::string body = "status " + std::to_string(fault.status) + "\n";
      return send(head(fault.status, body.size(), keepAlive, "Content-Type: text/plain\r\n") + body)
                 ? done
                 : Outcome::kClose;
    }
    if (!fault.redirectTo.empty()) {
      return send(head(302, 0, keepAlive, "Location: " + fault.redirectTo + "\r\n"))
                 ? done
                 : Outcome::kClose;
    }

    std::unique_ptr<FileSource> source = OpenFile(record.path);
    if (!source) {
      if (record.method == "POST")
        return send(head(200, 0, keepAlive, "")) ? done : Outcome::kClose;
      const std::string body = "not found\n";
      return send(head(404, body.size(), keepAlive, "Content-Type: text/plain\r\n") + body)
                 ? done
                 : Outcome::kClose;
    }
    const uint64_t size = source->size;
    ByteRange range;
    if (!record.range.empty() && !fault.ignoreRange && record.method != "POST") {
      range = ParseRange(record.range, size);
    }
    if (range.kind == ByteRange::kUnsatisfiable) {
      return send(
                 head(416, 0, keepAlive, "Content-Range: bytes */" + std::to_string(size) + "\r\n"))
                 ? done
                 : Outcome::kClose;
    }
    const uint64_t first = range.kind == ByteRange::kRange ? range.first : 0;
    const uint64_t length = range.kind == ByteRange::kRange ? range.last - range.first + 1 : size;
    std::string extra = "Content-Type: application/octet-stream\r\nAccept-Ranges: bytes\r\n";
    int status = 200;
    if (range.kind == ByteRange::kRange) {
      status = 206;
      extra += "Content-Range: bytes " + std::to_string(range.first) + "-" +
               std::to_string(range.last) + "/" + std::to_string(size) + "\r\n";
    }
    if (!send(head(status, length, keepAlive, extra))) return Outcome::kClose;
    if (record.method == "HEAD") return done;

    const uint64_t resetAt =
        fault.resetAfterBytes >= 0 && static_cast<uint64_t>(fault.resetAfterBytes) < length
            ? static_cast<uint64_t>(fault.resetAfterBytes)
            : UINT64_MAX;
    const uint64_t stallAt = fault.stall.count() > 0 && fault.stallAfterBytes >= 0
                                 ? static_cast<uint64_t>(fault.stallAfterBytes)
                                 : UINT64_MAX;
    const uint64_t slice =
        fault.bytesPerSecond > 0 ? std::max<uint64_t>(1, fault.bytesPerSecond / 20) : kSlice;
    uint64_t sent = 0;
    bool stalled = false;
    std::string sliceBytes;
    while (true) {
      if (sent == resetAt) return Outcome::kReset;
      if (sent == stallAt && !stalled) {
        stalled = true;
        if (!Pause(fault.stall)) return Outcome::kClose;
      }
      if (sent >= length) break;
      uint64_t n = std::min(slice, length - sent);
      if (resetAt != UINT64_MAX) n = std::min(n, resetAt - sent);
      if (!stalled && stallAt != UINT64_MAX && sent < stallAt) n = std::min(n, stallAt - sent);
      if (!source->Read(first + sent, n, &sliceBytes)) return Outcome::kClose;
      if (fault.corruptAt >= 0 && static_cast<uint64_t>(fault.corruptAt) >= sent &&
          static_cast<uint64_t>(fault.corruptAt) < sent + n) {
        char& byte = sliceBytes[fault.corruptAt - sent];
        byte = static_cast<char>(~byte);
      }
      if (!send(sliceBytes)) return Outcome::kClose;
      sent += n;
      if (fault.bytesPerSecond > 0 &&
          !Pause(std::chrono::milliseconds(n * 1000 / fault.bytesPerSecond))) {
        return Outcome::kClose;
      }
    }
    return done;
  };

  // Forwards an absolute-form request to its origin and relays the answer.
  auto forward = [&](http::request<http::string_body> request) -> Outcome {
    const bool keepAlive = request.keep_alive();
    const std::string target(request.target());
    const size_t hostStart = target.find("://") + 3;
    size_t hostEnd = target.find('/', hostStart);
    if (hostEnd == std::string::npos) hostEnd = target.size();
    const std::string authority = target.substr(hostStart, hostEnd - hostStart);
    const size_t colon = authority.rfind(':');
    const std::string host = colon == std::string::npos ? authority : authority.substr(0, colon);
    const std::string port = colon == std::string::npos ? "80" : authority.substr(colon + 1);
    request.target(hostEnd < target.size() ? target.substr(hostEnd) : "/");
    request.erase("Proxy-Connection");
    request.keep_alive(false);

    tcp::resolver resolver(impl_->io);
    tcp::socket upstream(impl_->io);
    boost::system::error_code uec;
    const auto endpoints = resolver.resolve(host, port, uec);
    if (!uec) asio::connect(upstream, endpoints, uec);
    if (uec) {
      return send(head(502, 0, keepAlive, "")) ? (keepAlive ? Outcome::kKeepOpen : Outcome::kClose)
                                               : Outcome::kClose;
    }
    const int upstreamFd = upstream.native_handle();
    Register(upstreamFd);
    http::response_parser<http::string_body> parser;
    parser.body_limit(kMaxRequestBody);
    beast::flat_buffer upstreamBuffer;
    http::write(upstream, request, uec);
    if (!uec) http::read(upstream, upstreamBuffer, parser, uec);
    Unregister(upstreamFd);
    upstream.close(uec);
    if (!parser.is_done()) return Outcome::kClose;
    http::response<http::string_body> response = parser.release();
    response.keep_alive(keepAlive);
    response.prepare_payload();
    http::write(socket, response, ec);
    if (ec) return Outcome::kClose;
    return keepAlive ? Outcome::kKeepOpen : Outcome::kClose;
  };

  Outcome outcome = Outcome::kKeepOpen;
  while (outcome == Outcome::kKeepOpen) {
    http::request_parser<http::string_body> parser;
    parser.body_limit(kMaxRequestBody);
    http::read(socket, buffer, parser, ec);
    if (ec) break;
    http::request<http::string_body> request = parser.release();

    RecordedRequest record;
    record.connection = connection->id;
    record.method = std::string(request.method_string());
    record.target = std::string(request.target());
    record.path = PathOfTarget(record.target);
    for (const auto& field : request) {
      record.headers.emplace_back(std::string(field.name_string()), std::string(field.value()));
    }
    record.range = record.Header("Range");
    record.userAgent = record.Header("User-Agent");
    record.contentType = record.Header("Content-Type");
    record.acceptEncoding = record.Header("Accept-Encoding");
    record.body = request.body();
    bool proxy = false;
    {
      std::lock_guard lock(mutex_);
      record.number = ++requestCount_;
      requests_.push_back(record);
      proxy = proxy_;
    }
    arrived_.notify_all();
    const bool absolute = record.target.rfind("http://", 0) == 0;
    if (proxy && absolute) {
      outcome = forward(std::move(request));
    } else {
      outcome = respond(request, record, TakeFault(record.path, record.number));
    }
  }

  Unregister(fd);
  if (outcome == Outcome::kReset) {
    // A zero linger time makes close() send RST instead of FIN: the client sees a reset.
    socket.set_option(tcp::socket::linger(true, 0), ec);
  } else {
    socket.shutdown(tcp::socket::shutdown_both, ec);
  }
  socket.close(ec);
}

}  // namespace kiv::test
