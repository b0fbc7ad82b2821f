// The web checker's HTTP server, event-driven on Boost.Beast and Asio: a few
// threads move the bytes of every connection, a pool of workers runs the
// checks, and no connection holds a thread while it waits for its client.
//
// A whole request, head and body, must arrive within `timeoutSeconds` of its
// first byte (no timeout per read that a byte now and then renews), and its
// answer must be written within as long again. A connection may idle between
// requests for `keepAliveSeconds`; when `maxConnections` are open, the
// longest-idle one is closed for a new one, and a new one is refused when
// none idles. One client address may hold `connectionsPerClient` at once
// (the trusted proxy, which brings every player, any number).
//
// The framing follows HTTP/1.1 strictly: a body has one length, given once
// (Content-Length, or Transfer-Encoding: chunked and nothing else: another
// coding gets 501); a head that is not well formed gets 400; a body past
// `maxBytes`, announced or found while reading chunks, gets 413 before more
// of it is held. Every answer of that kind closes the connection.
//
// After `stop`, the listening socket is closed, the requests begun are
// answered, idle connections are closed, and run returns.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "vyrserve/webchecker.h"

namespace vyr {

class ACCESSLOG;

struct SERVERSETTINGS {
  std::string host = "127.0.0.1";
  int port = 8080;  // 0: any free port
  int workers = 0;  // threads that check; 0: one per processor
  int timeoutSeconds = 10;
  int keepAliveSeconds = 5;
  int maxConnections = 4096;
  int connectionsPerClient = 64;
  std::size_t maxBytes = 1 << 20;
  std::string trustedProxy;  // its X-Forwarded-For names the client; "": none
  std::string metricsFrom;   // an address besides loopback's that may read /metrics
  ACCESSLOG* log = nullptr;  // one line per request; nullptr: none
};

class HTTPSERVER {
 public:
  HTTPSERVER(WEBCHECKER& checker, const SERVERSETTINGS& settings);
  ~HTTPSERVER();
  HTTPSERVER(const HTTPSERVER&) = delete;
  HTTPSERVER& operator=(const HTTPSERVER&) = delete;

  // Binds the listening socket, its queue as long as the system allows.
  // Answers 1, or 0 when the address cannot be had.
  [[nodiscard]] int bind();
  // The port bound, once bind answered 1.
  [[nodiscard]] int port() const;
  // Serves until stop. Answers 1, or 0 when serving could not start.
  int run();
  // From any thread, any number of times.
  void stop();

  struct CORE;

 private:
  std::unique_ptr<CORE> core_;
};

}  // namespace vyr
