#include "vyrserve/httpserver.h"

#include <arpa/inet.h>
#include <httplib.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>

#include "vyrserve/workerpool.h"

namespace vyr {

namespace {

using CLOCK = std::chrono::steady_clock;

// How often an idle connection looks whether it must make room or stop.
constexpr int kIdleSliceMs = 20;
// A new connection without a byte this long since it was accepted makes room
// when others wait.
constexpr auto kFreshGrace = std::chrono::seconds(1);

// Set while a request is answered when its connection must close after the
// answer (a body too large to read); the handlers run on the connection's thread.
thread_local bool closeAfterAnswer = false;

// One connection's socket as cpp-httplib's stream, buffered for reading;
// every wait is bounded by the timeouts, the reads also by the request's
// deadline.
class SOCKETSTREAM : public httplib::Stream {
 public:
  SOCKETSTREAM(int socket, int timeoutSeconds)
      : socket_(socket), timeout_(std::chrono::seconds(timeoutSeconds)) {}

  // The next request has begun: its reads must end within three timeouts,
  // the whole exchange within six.
  void startRequest() {
    deadline_ = CLOCK::now() + 3 * timeout_;
    writeDeadline_ = deadline_ + 3 * timeout_;
  }
  [[nodiscard]] bool buffered() const { return begin_ < end_; }

  bool is_readable() const override { return buffered() || wait(POLLIN, readWait()) > 0; }
  bool is_writable() const override { return wait(POLLOUT, left(writeDeadline_)) > 0; }

  ssize_t read(char* ptr, size_t size) override {
    if (!buffered()) {
      if (wait(POLLIN, readWait()) <= 0) return -1;
      const ssize_t got = ::recv(socket_, buffer_, sizeof buffer_, 0);
      if (got <= 0) return got;
      begin_ = 0;
      end_ = static_cast<std::size_t>(got);
    }
    const std::size_t count = std::min(size, end_ - begin_);
    std::copy(buffer_ + begin_, buffer_ + begin_ + count, ptr);
    begin_ += count;
    return static_cast<ssize_t>(count);
  }

  // Sends what fits without blocking, so that a client that stops reading
  // costs no more than the write timeout.
  ssize_t write(const char* ptr, size_t size) override {
    for (;;) {
      if (wait(POLLOUT, left(writeDeadline_)) <= 0) return -1;
      const ssize_t sent = ::send(socket_, ptr, size, MSG_NOSIGNAL | MSG_DONTWAIT);
      if (sent >= 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) return sent;
    }
  }

  void get_remote_ip_and_port(std::string& ip, int& port) const override { address(true, ip, port); }
  void get_local_ip_and_port(std::string& ip, int& port) const override { address(false, ip, port); }
  socket_t socket() const override { return socket_; }

 private:
  [[nodiscard]] CLOCK::duration readWait() const { return left(deadline_); }

  // The time to wait: the timeout, or less when the deadline comes first.
  [[nodiscard]] CLOCK::duration left(CLOCK::time_point deadline) const {
    const CLOCK::duration remaining = deadline - CLOCK::now();
    return std::max(CLOCK::duration::zero(), std::min<CLOCK::duration>(remaining, timeout_));
  }

  [[nodiscard]] int wait(short events, CLOCK::duration limit) const {
    pollfd entry{socket_, events, 0};
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(limit).count();
    int ready = 0;
    do {
      ready = ::poll(&entry, 1, static_cast<int>(ms));
    } while (ready < 0 && errno == EINTR);
    return ready;
  }

  void address(bool remote, std::string& ip, int& port) const {
    sockaddr_storage storage{};
    socklen_t length = sizeof storage;
    auto* where = reinterpret_cast<sockaddr*>(&storage);
    const int got = remote ? ::getpeername(socket_, where, &length) : ::getsockname(socket_, where, &length);
    if (got != 0) return;
    char host[NI_MAXHOST] = {};
    char service[NI_MAXSERV] = {};
    if (::getnameinfo(where, length, host, sizeof host, service, sizeof service,
                      NI_NUMERICHOST | NI_NUMERICSERV) != 0) {
      return;
    }
    ip = host;
    port = std::atoi(service);
  }

  int socket_;
  CLOCK::duration timeout_;
  CLOCK::time_point deadline_ = CLOCK::now();
  CLOCK::time_point writeDeadline_ = CLOCK::now();
  char buffer_[4096] = {};
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
};

// The pool as cpp-httplib's task queue.
class POOLQUEUE : public httplib::TaskQueue {
 public:
  POOLQUEUE(int workers, std::atomic<WORKERPOOL*>& current) : pool_(workers), current_(current) {
    current_.store(&pool_);
  }
  ~POOLQUEUE() override {
    pool_.shutdown();
    current_.store(nullptr);
  }
  void enqueue(std::function<void()> job) override { pool_.enqueue(std::move(job)); }
  void shutdown() override { pool_.shutdown(); }

 private:
  WORKERPOOL pool_;
  std::atomic<WORKERPOOL*>& current_;
};

// The text of a request's path for the log: no control characters.
std::string printable(std::string_view text) {
  std::string shown;
  for (const char c : text.substr(0, 200)) {
    const auto byte = static_cast<unsigned char>(c);
    shown += byte < 0x20 || byte == 0x7F ? '?' : c;
  }
  return shown;
}

std::string statusReason(int status, std::size_t maxBytes) {
  switch (status) {
    case 400:
      return "bad request";
    case 404:
      return "not found";
    case 405:
      return "method not allowed";
    case 413:
      return "the request is larger than " + std::to_string(maxBytes) + " bytes";
    case 414:
      return "the address is too long";
    case 416:
      return "range not satisfiable";
    default:
      return "the request could not be answered";
  }
}

}  // namespace

// The connection loop lives in a subclass of cpp-httplib's server, which
// leaves the request parsing and the answer writing to it.
class CONNECTIONSERVER : public httplib::Server {
 public:
  explicit CONNECTIONSERVER(const SERVERSETTINGS& settings) : settings_(settings) {}

  std::atomic<WORKERPOOL*> pool{nullptr};

 private:
  [[nodiscard]] bool stopping() const { return svr_sock_ == INVALID_SOCKET; }

  [[nodiscard]] bool mustMakeRoom() const {
    const WORKERPOOL* current = pool.load();
    return current != nullptr && current->waiting() > 0;
  }

  // Waits for the next request's first byte: 0 when the connection is to be
  // closed instead.
  bool awaitRequest(SOCKETSTREAM& stream, bool fresh) {
    if (stream.buffered()) return true;
    const CLOCK::time_point start = fresh ? WORKERPOOL::queuedAt() : CLOCK::now();
    const auto limit = fresh ? std::chrono::seconds(settings_.timeoutSeconds)
                             : std::chrono::seconds(settings_.keepAliveSeconds);
    for (;;) {
      pollfd entry{stream.socket(), POLLIN, 0};
      const int ready = ::poll(&entry, 1, stopping() ? 0 : kIdleSliceMs);
      if (ready > 0) return true;
      if (ready < 0 && errno != EINTR) return false;
      const auto idle = CLOCK::now() - start;
      if (stopping() || idle >= limit) return false;
      if (mustMakeRoom() && (!fresh || idle >= kFreshGrace)) return false;
    }
  }

  bool process_and_close_socket(socket_t sock) override {
    const int on = 1;
    ::setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    SOCKETSTREAM stream(sock, settings_.timeoutSeconds);
    bool served = false;
    for (int count = 1; count <= settings_.requestsPerConnection; ++count) {
      if (!awaitRequest(stream, count == 1)) break;
      stream.startRequest();
      const bool last = count == settings_.requestsPerConnection || stopping();
      bool closed = false;
      closeAfterAnswer = false;
      served = process_request(stream, last, closed, nullptr);
      if (!served || closed || last || closeAfterAnswer) break;
    }
    ::shutdown(sock, SHUT_RDWR);
    ::close(sock);
    return served;
  }

  SERVERSETTINGS settings_;
};

struct HTTPSERVER::IMPL {
  IMPL(WEBCHECKER& webChecker, const SERVERSETTINGS& serverSettings)
      : checker(webChecker), settings(serverSettings), server(serverSettings) {}

  WEBCHECKER& checker;
  SERVERSETTINGS settings;
  CONNECTIONSERVER server;
  int port = 0;
};

namespace {

// The connection closes after this answer: the rest of the body is not read.
void refuseRest(httplib::Response& response) {
  response.set_header("Connection", "close");
  closeAfterAnswer = true;
}

void give(const HTTPANSWER& answer, httplib::Response& response) {
  response.status = answer.status;
  for (const auto& [name, value] : answer.headers) response.set_header(name, value);
  response.set_content(answer.body, answer.contentType.c_str());
}

}  // namespace

HTTPSERVER::HTTPSERVER(WEBCHECKER& checker, const SERVERSETTINGS& settings)
    : impl_(std::make_unique<IMPL>(checker, settings)) {
  CONNECTIONSERVER& server = impl_->server;
  IMPL* impl = impl_.get();
  server.new_task_queue = [impl] { return new POOLQUEUE(impl->settings.workers, impl->server.pool); };
  httplib::Headers headers;
  for (const auto& [name, value] : securityHeaders()) headers.emplace(name, value);
  server.set_default_headers(headers);
  server.set_keep_alive_max_count(static_cast<std::size_t>(settings.requestsPerConnection));
  server.set_keep_alive_timeout(settings.keepAliveSeconds);
  server.set_read_timeout(settings.timeoutSeconds);
  server.set_write_timeout(settings.timeoutSeconds);
  server.set_payload_max_length(settings.maxBytes);
  // Only SO_REUSEADDR: the library's default also shares the port with any
  // other process that asks (SO_REUSEPORT), so a second server would start
  // silently on a port already served.
  server.set_socket_options([](socket_t sock) {
    const int on = 1;
    ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  });
  const auto handle = [impl](const httplib::Request& request, httplib::Response& response) {
    give(impl->checker.answer(request.method, request.path, request.body), response);
  };
  server.Get(".*", handle);
  server.Post(".*", handle);
  server.Put(".*", handle);
  server.Patch(".*", handle);
  server.Delete(".*", handle);
  server.Options(".*", handle);
  const httplib::Server::HandlerWithResponse fill = [impl](const httplib::Request& request,
                                                           httplib::Response& response) {
    if (!response.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
    give(WEBCHECKER::failure(response.status, request.path,
                             statusReason(response.status, impl->settings.maxBytes)),
         response);
    if (response.status == 413) refuseRest(response);
    return httplib::Server::HandlerResponse::Handled;
  };
  server.set_error_handler(fill);
  // A body announced larger than the limit is refused before it is read.
  server.set_pre_routing_handler([impl](const httplib::Request& request, httplib::Response& response) {
    const std::string length = request.get_header_value("Content-Length");
    unsigned long long announced = 0;
    const auto [end, fault] = std::from_chars(length.data(), length.data() + length.size(), announced);
    if (length.empty() || fault != std::errc() || end != length.data() + length.size() ||
        announced <= impl->settings.maxBytes) {
      return httplib::Server::HandlerResponse::Unhandled;
    }
    give(WEBCHECKER::failure(413, request.path, statusReason(413, impl->settings.maxBytes)), response);
    refuseRest(response);
    return httplib::Server::HandlerResponse::Handled;
  });
  server.set_exception_handler(
      [](const httplib::Request& request, httplib::Response& response, std::exception_ptr) {
        give(WEBCHECKER::failure(500, request.path, "the request could not be answered"), response);
      });
  if (!settings.quiet) {
    server.set_logger([](const httplib::Request& request, const httplib::Response& response) {
      const std::string line = "vyrserve: " + request.remote_addr + " " + printable(request.method) + " " +
                               printable(request.path) + " " + std::to_string(response.status) + " " +
                               std::to_string(response.body.size()) + "\n";
      std::fwrite(line.data(), 1, line.size(), stderr);
    });
  }
}

HTTPSERVER::~HTTPSERVER() = default;

int HTTPSERVER::bind() {
  CONNECTIONSERVER& server = impl_->server;
  const std::string& host = impl_->settings.host;
  if (host.find(':') != std::string::npos) server.set_address_family(AF_INET6);
  if (impl_->settings.port == 0) {
    impl_->port = server.bind_to_any_port(host);
    return impl_->port > 0;
  }
  if (!server.bind_to_port(host, impl_->settings.port)) return 0;
  impl_->port = impl_->settings.port;
  return 1;
}

int HTTPSERVER::port() const { return impl_->port; }

int HTTPSERVER::run() { return impl_->server.listen_after_bind() ? 1 : 0; }

void HTTPSERVER::stop() { impl_->server.stop(); }

}  // namespace vyr
