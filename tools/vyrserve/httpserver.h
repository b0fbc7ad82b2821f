// The web checker's HTTP server: cpp-httplib's request parsing and answers
// over a connection loop of its own, on a bounded pool of workers.
//
// Each connection is served by one worker: up to `requestsPerConnection`
// requests, each read within the read timeout per read and three times that
// in all, each answer written within the write timeout per write and the
// whole exchange within six timeouts. Between
// requests a connection may idle for `keepAliveSeconds`, but only while no
// other connection waits for a worker: then idle connections are closed
// (a new one after a second without a byte), so idle browsers' connections
// cannot starve the pool. After `stop`, the requests in flight and those
// already received are answered, and then the workers end.
#pragma once

#include <memory>
#include <string>

#include "vyrserve/webchecker.h"

namespace vyr {

struct SERVERSETTINGS {
  std::string host = "127.0.0.1";
  int port = 8080;  // 0: any free port
  int workers = 64;
  int timeoutSeconds = 10;
  int keepAliveSeconds = 5;
  int requestsPerConnection = 100;
  std::size_t maxBytes = 1 << 20;
  int quiet = 0;  // 0: one line per request on standard error
};

class HTTPSERVER {
 public:
  HTTPSERVER(WEBCHECKER& checker, const SERVERSETTINGS& settings);
  ~HTTPSERVER();
  HTTPSERVER(const HTTPSERVER&) = delete;
  HTTPSERVER& operator=(const HTTPSERVER&) = delete;

  // Binds the listening socket. Answers 1, or 0 when the address cannot be had.
  [[nodiscard]] int bind();
  // The port bound, once bind answered 1.
  [[nodiscard]] int port() const;
  // Serves until stop. Answers 1, or 0 when serving could not start.
  int run();
  // From any thread.
  void stop();

 private:
  struct IMPL;
  std::unique_ptr<IMPL> impl_;
};

}  // namespace vyr
