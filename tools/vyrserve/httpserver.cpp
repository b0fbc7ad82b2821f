#include "vyrserve/httpserver.h"

#include <algorithm>
#include <atomic>
#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <chrono>
#include <list>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>
#include <vector>

#include "vyrserve/accesslog.h"
#include "vyrserve/metrics.h"

namespace vyr {

namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;
using ERRORCODE = boost::system::error_code;
using CLOCK = std::chrono::steady_clock;
using STRAND = asio::strand<asio::io_context::executor_type>;

// The largest request head (request line and fields).
constexpr std::size_t kHeadLimit = 16 * 1024;
// How long a connection refused mid-request is read and discarded after its
// answer, so that closing it does not reset the answer away.
constexpr auto kLingerTime = std::chrono::seconds(2);
// The pause after a failed accept (out of descriptors), instead of a busy loop.
constexpr auto kAcceptPause = std::chrono::milliseconds(50);

// The text of a request's method or path for the log: no control characters.
std::string printable(std::string_view text) {
  std::string shown;
  for (const char c : text.substr(0, 200)) {
    const auto byte = static_cast<unsigned char>(c);
    shown += byte < 0x20 || byte == 0x7F || byte == ' ' ? '?' : c;
  }
  return shown.empty() ? "-" : shown;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The path of a request target, without its query, percent escapes decoded.
std::string decodedPath(std::string_view target) {
  target = target.substr(0, target.find('?'));
  std::string path;
  for (std::size_t i = 0; i < target.size(); ++i) {
    if (target[i] == '%' && i + 2 < target.size() && hexDigit(target[i + 1]) >= 0 &&
        hexDigit(target[i + 2]) >= 0) {
      path += static_cast<char>(hexDigit(target[i + 1]) * 16 + hexDigit(target[i + 2]));
      i += 2;
    } else {
      path += target[i];
    }
  }
  return path;
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::string_view view(beast::string_view text) { return {text.data(), text.size()}; }

// ASCII letters compared without their case.
bool sameWord(std::string_view text, std::string_view word) {
  if (text.size() != word.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] - 'A' + 'a') : text[i];
    if (c != word[i]) return false;
  }
  return true;
}

bool isLoopback(std::string_view address) {
  return address.starts_with("127.") || address == "::1" || address.starts_with("::ffff:127.");
}

std::string statusReason(int status, std::size_t maxBytes) {
  switch (status) {
    case 400:
      return "bad request";
    case 403:
      return "forbidden";
    case 413:
      return "the request is larger than " + std::to_string(maxBytes) + " bytes";
    case 431:
      return "the request head is larger than " + std::to_string(kHeadLimit) + " bytes";
    case 501:
      return "the transfer coding is not supported";
    default:
      return "the request could not be answered";
  }
}

}  // namespace

class SESSION;

struct HTTPSERVER::CORE {
  CORE(WEBCHECKER& webChecker, const SERVERSETTINGS& serverSettings)
      : checker(webChecker),
        settings(serverSettings),
        acceptStrand(asio::make_strand(io)),
        acceptor(acceptStrand),
        acceptPause(acceptStrand) {}

  void accept();
  void admit(tcp::socket socket);
  void release(const std::string& peer);
  // Registers a connection as idle: false when the server stops.
  bool idle(const std::shared_ptr<SESSION>& session);
  void busy(SESSION& session);
  void stop();

  WEBCHECKER& checker;
  SERVERSETTINGS settings;
  asio::io_context io;
  STRAND acceptStrand;
  tcp::acceptor acceptor;
  asio::steady_timer acceptPause;
  std::optional<asio::thread_pool> workers;
  SERVERMETRICS metrics;
  int port = 0;

  std::mutex mutex;  // guards what follows
  bool stopping = false;
  int open = 0;
  std::unordered_map<std::string, int> perClient;
  std::list<std::weak_ptr<SESSION>> idlers;  // the longest idle first
};

// One connection: its requests one after another, every step on its strand.
class SESSION : public std::enable_shared_from_this<SESSION> {
 public:
  SESSION(HTTPSERVER::CORE& core, tcp::socket&& socket, std::string peer)
      : core_(core),
        executor_(socket.get_executor()),
        stream_(std::move(socket)),
        timer_(executor_),
        peer_(std::move(peer)) {}
  ~SESSION() { core_.release(peer_); }
  SESSION(const SESSION&) = delete;
  SESSION& operator=(const SESSION&) = delete;

  void start() {
    ERRORCODE ignored;
    stream_.socket().set_option(tcp::no_delay(true), ignored);
    readHead();
  }

  // On the strand: closes the connection when it idles between requests.
  void closeIdle() {
    if (!idle_) return;
    idle_ = false;
    core_.busy(*this);
    timer_.cancel();
    ERRORCODE ignored;
    stream_.socket().close(ignored);
  }

  [[nodiscard]] const asio::any_io_executor& executor() const { return executor_; }

  // Where the connection stands in the server's list of idle ones; guarded by
  // the server's mutex.
  bool listed = false;
  std::list<std::weak_ptr<SESSION>>::iterator idleAt;

 private:
  [[nodiscard]] std::chrono::seconds timeout() const {
    return std::chrono::seconds(core_.settings.timeoutSeconds);
  }

  void readHead() {
    parser_.emplace();
    parser_->header_limit(kHeadLimit);
    parser_->body_limit(core_.settings.maxBytes);
    started_ = CLOCK::now();
    stream_.expires_after(timeout());  // the whole request, head and body
    http::async_read_header(
        stream_, buffer_, *parser_,
        [self = shared_from_this()](ERRORCODE fault, std::size_t) { self->onHead(fault); });
  }

  void onHead(ERRORCODE fault) {
    if (fault) return refuse(fault);
    started_ = CLOCK::now();
    const auto& request = parser_->get();
    if (request.method() == http::verb::unknown) return answerAndClose(400);
    if (request.count(http::field::transfer_encoding) > 0) {
      const auto coding = trimmed(view(request[http::field::transfer_encoding]));
      if (request.count(http::field::transfer_encoding) != 1 || !sameWord(coding, "chunked")) {
        return answerAndClose(501);
      }
    }
    if (parser_->is_done()) return dispatch();
    if (sameWord(trimmed(view(request[http::field::expect])), "100-continue")) {
      static const std::string_view kContinue = "HTTP/1.1 100 Continue\r\n\r\n";
      return asio::async_write(stream_, asio::buffer(kContinue.data(), kContinue.size()),
                               [self = shared_from_this()](ERRORCODE failed, std::size_t) {
                                 if (failed) return;
                                 self->readBody();
                               });
    }
    readBody();
  }

  void readBody() {
    http::async_read(stream_, buffer_, *parser_, [self = shared_from_this()](ERRORCODE fault, std::size_t) {
      if (fault) return self->refuse(fault);
      self->dispatch();
    });
  }

  // A request that could not be read whole: an answer where the client can
  // still take one, and the connection closed.
  void refuse(ERRORCODE fault) {
    if (fault == http::error::body_limit) return answerAndClose(413);
    if (fault == http::error::header_limit || fault == http::error::buffer_overflow)
      return answerAndClose(431);
    if (fault.category() == beast::http::make_error_code(http::error::bad_method).category() &&
        fault != http::error::end_of_stream && fault != http::error::partial_message) {
      return answerAndClose(400);
    }
    ERRORCODE ignored;
    stream_.socket().close(ignored);  // gone, too slow, or reset: nobody to answer
  }

  [[nodiscard]] bool headRead() const { return parser_ && parser_->is_header_done(); }

  [[nodiscard]] std::string path() const {
    return headRead() ? decodedPath(view(parser_->get().target())) : std::string("/");
  }

  // The client: the peer, or the address the trusted proxy names last.
  [[nodiscard]] std::string client() const {
    if (!headRead() || core_.settings.trustedProxy.empty() || peer_ != core_.settings.trustedProxy)
      return peer_;
    const auto& request = parser_->get();
    const auto forwarded = request.find("X-Forwarded-For");
    if (forwarded == request.end()) return peer_;
    const std::string_view all = view(forwarded->value());
    const std::size_t comma = all.rfind(',');
    const std::string_view last = trimmed(comma == std::string_view::npos ? all : all.substr(comma + 1));
    return last.empty() ? peer_ : std::string(last);
  }

  void answerAndClose(int status) {
    send(WEBCHECKER::failure(status, path(), statusReason(status, core_.settings.maxBytes)), true, false);
  }

  void dispatch() {
    auto& request = parser_->get();
    const std::string target(request.target());
    if (!target.starts_with('/')) return answerAndClose(400);
    const std::string where = decodedPath(target);
    const std::string method(request.method_string());
    if (where == "/metrics") return send(metricsAnswer(method), false, false);
    if (where != "/api/check" || request.method() != http::verb::post) {
      return send(core_.checker.answer(method, where, request.body()), false, false);
    }
    // The check runs on a worker; the answer comes back to this strand.
    asio::post(*core_.workers, [self = shared_from_this(), work = asio::make_work_guard(core_.io),
                                body = std::move(request.body())]() mutable {
      HTTPANSWER answer = self->core_.checker.check(body);
      asio::post(self->executor_, [self, answer = std::move(answer)]() mutable {
        self->send(std::move(answer), false, true);
      });
    });
  }

  HTTPANSWER metricsAnswer(const std::string& method) {
    const std::string who = client();
    const bool forwarded = who != peer_;
    if (forwarded || (!isLoopback(who) && who != core_.settings.metricsFrom)) {
      return WEBCHECKER::failure(403, "/metrics", statusReason(403, 0));
    }
    if (method != "GET" && method != "HEAD") {
      HTTPANSWER refused = WEBCHECKER::failure(405, "/metrics", "use GET");
      refused.headers.emplace_back("Allow", "GET, HEAD");
      return refused;
    }
    HTTPANSWER answer;
    answer.contentType = "text/plain; version=0.0.4; charset=utf-8";
    answer.body = core_.metrics.text(core_.settings.log != nullptr ? core_.settings.log->dropped() : 0);
    answer.headers.emplace_back("Cache-Control", "no-store");
    return answer;
  }

  void send(HTTPANSWER answer, bool close, bool check) {
    const bool head = headRead() && parser_->get().method() == http::verb::head;
    const bool keep = !close && headRead() && parser_->get().keep_alive() && !stopping();
    response_ = {};
    response_.version(headRead() ? parser_->get().version() : 11);
    response_.result(static_cast<unsigned>(answer.status));
    response_.set(http::field::content_type, answer.contentType);
    for (const auto& [name, value] : securityHeaders()) response_.set(name, value);
    for (const auto& [name, value] : answer.headers) response_.set(name, value);
    response_.keep_alive(keep);
    if (!keep && response_.version() == 11) response_.set(http::field::connection, "close");
    bodyBytes_ = answer.body.size();
    if (head) {
      response_.content_length(answer.body.size());
    } else {
      response_.body() = std::move(answer.body);
      response_.prepare_payload();
    }
    const int status = answer.status;
    if (core_.settings.log != nullptr) {  // queued before the answer leaves, in the order of the answers
      const std::string method = headRead() ? std::string(parser_->get().method_string()) : std::string("-");
      core_.settings.log->write(client() + " " + printable(method) + " " + printable(path()) + " " +
                                std::to_string(status) + " " + std::to_string(bodyBytes_));
    }
    stream_.expires_after(2 * timeout());
    http::async_write(stream_, response_,
                      [self = shared_from_this(), keep, status, check](ERRORCODE fault, std::size_t) {
                        self->onSent(fault, keep, status, check);
                      });
  }

  void onSent(ERRORCODE fault, bool keep, int status, bool check) {
    const double seconds = std::chrono::duration<double>(CLOCK::now() - started_).count();
    core_.metrics.answered(status, check, seconds);
    if (fault) return;
    if (!keep) return lingerClose();
    awaitNext();
  }

  [[nodiscard]] bool stopping() const {
    const std::lock_guard<std::mutex> guard(core_.mutex);
    return core_.stopping;
  }

  // Sends no more and reads what the client still sends for a while, then
  // closes: the client reads the answer instead of a reset.
  void lingerClose() {
    ERRORCODE ignored;
    stream_.socket().shutdown(tcp::socket::shutdown_send, ignored);
    if (!discard_) discard_ = std::make_unique<std::array<char, 4096>>();
    stream_.expires_after(kLingerTime);
    stream_.async_read_some(asio::buffer(*discard_),
                            [self = shared_from_this()](ERRORCODE fault, std::size_t) {
                              if (fault) {
                                ERRORCODE ignoredToo;
                                self->stream_.socket().close(ignoredToo);
                                return;
                              }
                              self->stream_.expires_after(kLingerTime);
                              self->lingerMore();
                            });
  }

  void lingerMore() {
    stream_.async_read_some(asio::buffer(*discard_),
                            [self = shared_from_this()](ERRORCODE fault, std::size_t) {
                              if (fault) {
                                ERRORCODE ignored;
                                self->stream_.socket().close(ignored);
                                return;
                              }
                              self->lingerMore();
                            });
  }

  // Between requests: the next one's first byte, or the keep-alive's end.
  void awaitNext() {
    if (buffer_.size() > 0) return readHead();  // pipelined
    stream_.expires_never();
    if (!core_.idle(shared_from_this())) return;
    idle_ = true;
    timer_.expires_after(std::chrono::seconds(core_.settings.keepAliveSeconds));
    timer_.async_wait([self = shared_from_this()](ERRORCODE fault) {
      if (!fault) self->closeIdle();
    });
    stream_.socket().async_wait(tcp::socket::wait_read, [self = shared_from_this()](ERRORCODE fault) {
      if (!self->idle_) return;  // closed while it idled
      self->idle_ = false;
      self->core_.busy(*self);
      self->timer_.cancel();
      if (fault) return;
      self->readHead();
    });
  }

  HTTPSERVER::CORE& core_;
  asio::any_io_executor executor_;
  beast::tcp_stream stream_;
  asio::steady_timer timer_;
  std::string peer_;
  beast::flat_buffer buffer_;
  std::optional<http::request_parser<http::string_body>> parser_;
  http::response<http::string_body> response_;
  std::size_t bodyBytes_ = 0;
  CLOCK::time_point started_ = CLOCK::now();
  bool idle_ = false;
  std::unique_ptr<std::array<char, 4096>> discard_;
};

void HTTPSERVER::CORE::accept() {
  acceptor.async_accept(asio::make_strand(io), [this](ERRORCODE fault, tcp::socket socket) {
    if (!acceptor.is_open()) return;
    if (fault) {  // out of descriptors, most likely: try again shortly
      acceptPause.expires_after(kAcceptPause);
      acceptPause.async_wait([this](ERRORCODE) {
        if (acceptor.is_open()) accept();
      });
      return;
    }
    admit(std::move(socket));
    accept();
  });
}

void HTTPSERVER::CORE::admit(tcp::socket socket) {
  ERRORCODE fault;
  const tcp::endpoint remote = socket.remote_endpoint(fault);
  if (fault) return;
  std::string peer = remote.address().to_string();
  std::shared_ptr<SESSION> evicted;
  {
    const std::lock_guard<std::mutex> guard(mutex);
    const bool proxy = !settings.trustedProxy.empty() && peer == settings.trustedProxy;
    bool room = !stopping && (proxy || perClient[peer] < settings.connectionsPerClient);
    if (room && open >= settings.maxConnections) {
      while (!idlers.empty() && evicted == nullptr) {
        evicted = idlers.front().lock();
        if (evicted != nullptr) evicted->listed = false;
        idlers.pop_front();
      }
      room = evicted != nullptr;
    }
    if (!room) {
      if (perClient[peer] == 0) perClient.erase(peer);
      metrics.refused();
      return;  // the socket closes here
    }
    ++open;
    ++perClient[peer];
  }
  metrics.opened();
  if (evicted != nullptr) asio::post(evicted->executor(), [evicted] { evicted->closeIdle(); });
  std::make_shared<SESSION>(*this, std::move(socket), std::move(peer))->start();
}

void HTTPSERVER::CORE::release(const std::string& peer) {
  {
    const std::lock_guard<std::mutex> guard(mutex);
    --open;
    const auto at = perClient.find(peer);
    if (at != perClient.end() && --at->second <= 0) perClient.erase(at);
  }
  metrics.closed();
}

bool HTTPSERVER::CORE::idle(const std::shared_ptr<SESSION>& session) {
  const std::lock_guard<std::mutex> guard(mutex);
  if (stopping) return false;
  session->idleAt = idlers.insert(idlers.end(), session);
  session->listed = true;
  return true;
}

void HTTPSERVER::CORE::busy(SESSION& session) {
  const std::lock_guard<std::mutex> guard(mutex);
  if (!session.listed) return;  // taken off by an eviction
  idlers.erase(session.idleAt);
  session.listed = false;
}

void HTTPSERVER::CORE::stop() {
  asio::post(acceptStrand, [this] {
    ERRORCODE ignored;
    acceptor.close(ignored);
    acceptPause.cancel();
  });
  std::vector<std::shared_ptr<SESSION>> idle;
  {
    const std::lock_guard<std::mutex> guard(mutex);
    stopping = true;
    for (const auto& weak : idlers) {
      if (auto session = weak.lock()) idle.push_back(std::move(session));
    }
  }
  for (auto& session : idle) asio::post(session->executor(), [session] { session->closeIdle(); });
}

HTTPSERVER::HTTPSERVER(WEBCHECKER& checker, const SERVERSETTINGS& settings)
    : core_(std::make_unique<CORE>(checker, settings)) {}

HTTPSERVER::~HTTPSERVER() = default;

int HTTPSERVER::bind() {
  ERRORCODE fault;
  tcp::resolver resolver(core_->io);
  const auto found = resolver.resolve(core_->settings.host, std::to_string(core_->settings.port),
                                      tcp::resolver::passive | tcp::resolver::numeric_service, fault);
  if (fault || found.empty()) return 0;
  const tcp::endpoint where = found.begin()->endpoint();
  tcp::acceptor& acceptor = core_->acceptor;
  acceptor.open(where.protocol(), fault);
  if (fault) return 0;
  acceptor.set_option(tcp::acceptor::reuse_address(true), fault);
  acceptor.bind(where, fault);
  if (!fault) acceptor.listen(asio::socket_base::max_listen_connections, fault);
  if (fault) {
    ERRORCODE ignored;
    acceptor.close(ignored);
    return 0;
  }
  core_->port = acceptor.local_endpoint(fault).port();
  return fault ? 0 : 1;
}

int HTTPSERVER::port() const { return core_->port; }

int HTTPSERVER::run() {
  if (!core_->acceptor.is_open()) return 0;
  const unsigned processors = std::max(1u, std::thread::hardware_concurrency());
  const int workers = core_->settings.workers > 0 ? core_->settings.workers : static_cast<int>(processors);
  core_->workers.emplace(static_cast<std::size_t>(workers));
  asio::post(core_->acceptStrand, [this] { core_->accept(); });
  std::vector<std::thread> movers;
  for (unsigned n = 1; n < std::max(2u, processors); ++n) movers.emplace_back([this] { core_->io.run(); });
  core_->io.run();
  for (std::thread& mover : movers) mover.join();
  core_->workers->join();
  return 1;
}

void HTTPSERVER::stop() { core_->stop(); }

}  // namespace vyr
