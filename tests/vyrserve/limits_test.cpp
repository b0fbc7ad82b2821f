// The web checker's framing and limits as a hostile client meets them: raw
// requests over loopback sockets against the built vyrserve. Its timeout is
// set far beyond the clients' own ten seconds, so a refusal that waited for
// the timeout instead of coming at once shows as no answer.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>
#include <vector>

#include "vyrserve/serverprocess.h"

#if defined(VYR_VYRSERVE)

namespace vyr::test {
namespace {

namespace fs = std::filesystem;

const std::string kHidden = "GET /healthz HTTP/1.1\r\nHost: x\r\n\r\n";

std::string head(std::string_view fields) {
  return "POST /api/check HTTP/1.1\r\nHost: x\r\n" + std::string(fields) + "\r\n";
}

std::string chunk(std::string_view data) {
  std::ostringstream hex;
  hex << std::hex << data.size();
  return hex.str() + "\r\n" + std::string(data) + "\r\n";
}

std::string chunks(int count, std::size_t size) {
  std::string body;
  for (int n = 0; n < count; ++n) body += chunk(std::string(size, ' '));
  return body;
}

int answersIn(const std::string& bytes) {
  int count = 0;
  for (std::size_t at = bytes.find("HTTP/1.1 "); at != std::string::npos;
       at = bytes.find("HTTP/1.1 ", at + 1))
    ++count;
  return count;
}

// Sends the head of a check of 24 bytes and waits until it is read: the
// request has begun, and its body is awaited.
bool beginCheck(int socket) {
  char piece[64] = {};
  return sendAll(socket,
                 "POST /api/check HTTP/1.1\r\nHost: x\r\nContent-Length: 24\r\nExpect: 100-continue\r\n\r\n") &&
         ::recv(socket, piece, sizeof piece - 1, 0) > 0 && std::string(piece).substr(0, 12) == "HTTP/1.1 100";
}

TEST(VyrserveFraming, RefusesAmbiguousOrOversizedBodiesAtOnceAndCloses) {
  SERVERPROCESS server({"--data", VYR_BUILT_ARCHIVE, "--max-bytes", "2000", "--timeout", "600"});
  const std::string check = nlohmann::json{{"orders", "BANISH 3\n"}, {"game", 1}}.dump();
  struct CASE {
    std::string name;
    std::string request;  // a request hidden in the body follows where one can
    int status;
    int answers;  // 1: nothing hidden in the body was answered
  };
  const std::vector<CASE> cases = {
      {"a length and chunks",
       head("Content-Length: 5\r\nTransfer-Encoding: chunked\r\n") + "0\r\n\r\n" + kHidden, 400, 1},
      {"chunks and a length",
       head("Transfer-Encoding: chunked\r\nContent-Length: 39\r\n") + "0\r\n\r\n" + kHidden, 400, 1},
      {"two lengths", head("Content-Length: 2\r\nContent-Length: 36\r\n") + "{}" + kHidden, 400, 1},
      {"two lengths in one field", head("Content-Length: 2, 36\r\n") + "{}" + kHidden, 400, 1},
      {"a negative length", head("Content-Length: -1\r\n") + kHidden, 400, 1},
      {"a length past 64 bits", head("Content-Length: 18446744073709551616\r\n") + "{}" + kHidden, 400, 1},
      {"a length with letters", head("Content-Length: 2x\r\n") + "{}" + kHidden, 400, 1},
      {"white space before a colon", head("Content-Length : 2\r\n") + "{}" + kHidden, 400, 1},
      {"an unknown coding after chunked",
       head("Transfer-Encoding: chunked, identity\r\n") + "0\r\n\r\n" + kHidden, 501, 1},
      {"a coding before chunked", head("Transfer-Encoding: gzip, chunked\r\n") + "0\r\n\r\n" + kHidden, 501,
       1},
      {"a chunk announced past the limit", head("Transfer-Encoding: chunked\r\n") + "FFFFFFFFFF\r\n{", 413,
       1},
      {"one chunk past the limit",
       head("Transfer-Encoding: chunked\r\n") + chunks(1, 2001) + "0\r\n\r\n" + kHidden, 413, 1},
      {"small chunks past the limit",
       head("Transfer-Encoding: chunked\r\n") + chunks(70, 30) + "0\r\n\r\n" + kHidden, 413, 1},
      {"a length past the limit", head("Content-Length: 2001\r\n") + std::string(2001, ' ') + kHidden, 413,
       1},
      {"chunks within the limit, then a request",
       head("Transfer-Encoding: chunked\r\n") + chunk(check.substr(0, 5)) + chunk(check.substr(5)) +
           "0\r\n\r\n" + "GET /healthz HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n",
       200, 2},
  };
  // Each case on a connection of its own, all at once: a refused connection
  // lingers a moment reading what its client still sends.
  std::vector<std::string> got(cases.size());
  std::vector<int> closed(cases.size(), 0);
  std::vector<std::thread> clients;
  for (std::size_t k = 0; k < cases.size(); ++k) {
    clients.emplace_back([&, k] {
      const int socket = connectTo(server.port());
      if (socket < 0) return;
      bool end = false;
      if (sendAll(socket, cases[k].request)) got[k] = readToClose(socket, end);
      closed[k] = end;
      ::close(socket);
    });
  }
  for (std::thread& client : clients) client.join();
  for (std::size_t k = 0; k < cases.size(); ++k) {
    SCOPED_TRACE(cases[k].name);
    EXPECT_EQ(got[k].substr(0, 12), "HTTP/1.1 " + std::to_string(cases[k].status)) << got[k].substr(0, 200);
    EXPECT_TRUE(closed[k]);
    EXPECT_EQ(answersIn(got[k]), cases[k].answers) << got[k];
    if (cases[k].status != 200) {
      EXPECT_NE(got[k].find("\r\nConnection: close\r\n"), std::string::npos) << got[k].substr(0, 400);
    }
    if (cases[k].status == 413) {
      EXPECT_NE(got[k].find("larger than 2000 bytes"), std::string::npos);
    }
  }
}

TEST(VyrserveLimits, CapsTheConnectionsOfOneClientButNotOfOthers) {
  SERVERPROCESS server({"--data", VYR_BUILT_ARCHIVE, "--per-client", "3", "--timeout", "600"});
  std::vector<int> held;
  for (int n = 0; n < 3; ++n) {  // each answered once, then kept open
    held.push_back(connectTo(server.port()));
    ASSERT_TRUE(sendAll(held.back(), "GET /healthz HTTP/1.1\r\nHost: x\r\n\r\n"));
    ASSERT_EQ(readAnswer(held.back()).status, 200);
  }
  const int fourth = connectTo(server.port());
  bool closed = false;
  EXPECT_EQ(readToClose(fourth, closed), "");
  EXPECT_TRUE(closed);
  ::close(fourth);
  const int other = connectFrom("127.0.0.2", server.port());
  ASSERT_TRUE(sendAll(other, "GET /healthz HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n"));
  EXPECT_EQ(readAnswer(other).status, 200);
  ::close(other);
  ::close(held.front());  // a place is free again once one closes
  held.erase(held.begin());
  RAWANSWER again;
  for (int attempt = 0; attempt < 200 && again.status == 0; ++attempt) again = get(server.port(), "/healthz");
  EXPECT_EQ(again.status, 200);
  for (const int socket : held) ::close(socket);
}

// Slow clients hold connections with a head that never ends, a byte now and
// then; other players' checks are still answered while they do.
TEST(VyrserveLimits, SlowClientsDoNotHoldUpOthers) {
  SERVERPROCESS server(
      {"--data", VYR_BUILT_ARCHIVE, "--workers", "1", "--per-client", "1000", "--timeout", "600"});
  std::vector<int> slow;
  for (int n = 0; n < 500; ++n) {
    const int socket = connectTo(server.port());
    ASSERT_GE(socket, 0) << n;
    ASSERT_TRUE(sendAll(socket, "POST /api/check HTTP/1.1\r\nHost: x\r\nX-"));
    slow.push_back(socket);
  }
  std::atomic<bool> done{false};
  std::thread trickle([&] {
    while (!done) {
      for (const int socket : slow) ::send(socket, "a", 1, MSG_NOSIGNAL | MSG_DONTWAIT);
      std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the pace of a slow client
    }
  });
  const std::string body = nlohmann::json{{"orders", "BANISH 3\n"}, {"game", 1}}.dump();
  int answered = 0;
  for (int n = 0; n < 40; ++n) {
    const int socket = connectFrom("127.0.0.2", server.port());
    const std::string request =
        "POST /api/check HTTP/1.1\r\nHost: x\r\nConnection: close\r\nContent-Length: " +
        std::to_string(body.size()) + "\r\n\r\n" + body;
    if (socket >= 0 && sendAll(socket, request) && readAnswer(socket).status == 200) ++answered;
    ::close(socket);
  }
  done = true;
  trickle.join();
  EXPECT_EQ(answered, 40);
  for (const int socket : slow) ::close(socket);
}

TEST(VyrserveLimits, IdleConnectionsDoNotStarveTheWorkers) {
  SERVERPROCESS server(
      {"--data", VYR_BUILT_ARCHIVE, "--workers", "1", "--per-client", "1000", "--timeout", "600"});
  std::vector<int> idle;
  for (int n = 0; n < 2; ++n) {  // kept alive after one request each
    idle.push_back(connectTo(server.port()));
    ASSERT_TRUE(sendAll(idle.back(), "GET /healthz HTTP/1.1\r\nHost: x\r\n\r\n"));
    ASSERT_EQ(readAnswer(idle.back()).status, 200);
  }
  for (int n = 0; n < 200; ++n) idle.push_back(connectTo(server.port()));  // opened and never used
  for (int n = 0; n < 4; ++n)
    EXPECT_EQ(post(server.port(), "/api/check", "{\"orders\":\"\",\"game\":1}").status, 200);
  for (const int socket : idle) ::close(socket);
}

// A refused request's connection, which its client keeps open, is let go once
// the server has lingered on it a moment, not at the request's timeout.
TEST(VyrserveLimits, ARefusedConnectionLeavesItsPlaceAfterAMoment) {
  SERVERPROCESS server({"--data", VYR_BUILT_ARCHIVE, "--per-client", "2", "--timeout", "600"});
  const int busy = connectTo(server.port());
  ASSERT_TRUE(beginCheck(busy));
  const int refused = connectTo(server.port());
  ASSERT_TRUE(sendAll(refused, "BREW / HTTP/1.1\r\nHost: x\r\n\r\n"));
  EXPECT_EQ(readAnswer(refused).status, 400);
  // The server signals nothing when the linger ends: its place is tried
  // again, paced, until it is given back (a minute at most against a hang).
  RAWANSWER again;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (again.status == 0 && std::chrono::steady_clock::now() < deadline) {
    again = get(server.port(), "/healthz");
    if (again.status == 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_EQ(again.status, 200);
  ::close(refused);
  ::close(busy);
}

// When all the connections the server takes are open, the longest idle one
// makes room for a new client; one busy with a request is never closed.
TEST(VyrserveLimits, ANewClientTakesTheLongestIdleConnectionsPlace) {
  SERVERPROCESS server({"--data", VYR_BUILT_ARCHIVE, "--max-connections", "2", "--timeout", "600"});
  const int idle = connectTo(server.port());
  const int busy = connectTo(server.port());
  ASSERT_TRUE(beginCheck(idle));
  ASSERT_TRUE(beginCheck(busy));
  const int third = connectTo(server.port());  // both busy: no place for it
  bool closed = false;
  EXPECT_EQ(readToClose(third, closed), "");
  EXPECT_TRUE(closed);
  ::close(third);
  ASSERT_TRUE(sendAll(idle, "{\"orders\":\"\",\"game\":1}  "));
  ASSERT_EQ(readAnswer(idle).status, 200);  // and kept open
  RAWANSWER fresh;  // until the first connection, answered, counts as idle
  for (int attempt = 0; attempt < 1000 && fresh.status == 0; ++attempt) fresh = get(server.port(), "/healthz");
  EXPECT_EQ(fresh.status, 200);
  closed = false;
  EXPECT_EQ(readToClose(idle, closed), "");
  EXPECT_TRUE(closed);
  ASSERT_TRUE(sendAll(busy, "{\"orders\":\"\",\"game\":1}  "));
  EXPECT_EQ(readAnswer(busy).status, 200);
  ::close(idle);
  ::close(busy);
}

std::string waitForLines(const fs::path& file, std::size_t lines) {
  // The log is written by a thread of its own: the lines are awaited, a minute
  // at most against a hang.
  std::string text;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (std::chrono::steady_clock::now() < deadline) {
    std::ifstream in(file);
    std::ostringstream all;
    all << in.rdbuf();
    text = all.str();
    if (static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) >= lines) return text;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return text;
}

TEST(VyrserveOperations, LogsTheClientTheProxyNamesAndReopensTheLogOnSighup) {
  const fs::path log = fs::temp_directory_path() / ("vyrserve-log-" + std::to_string(::getpid()));
  fs::remove(log);
  fs::remove(log.string() + ".1");
  SERVERPROCESS server(
      {"--data", VYR_BUILT_ARCHIVE, "--access-log", log.string(), "--trusted-proxy", "127.0.0.1"});
  const auto request = [&](const char* from, std::string_view fields, std::string_view path) {
    const int socket = connectFrom(from, server.port());
    sendAll(socket, "GET " + std::string(path) + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n" +
                        std::string(fields) + "\r\n");
    const RAWANSWER answer = readAnswer(socket);
    ::close(socket);
    return answer.status;
  };
  EXPECT_EQ(request("127.0.0.1", "X-Forwarded-For: 10.1.1.1, 203.0.113.9\r\n", "/healthz"), 200);
  EXPECT_EQ(request("127.0.0.2", "X-Forwarded-For: 203.0.113.9\r\n", "/nothing%0a"), 404);
  EXPECT_EQ(request("127.0.0.1", "", "/metrics"), 200);
  EXPECT_EQ(request("127.0.0.1", "X-Forwarded-For: 203.0.113.9\r\n", "/metrics"), 403);
  EXPECT_EQ(request("127.0.0.2", "", "/metrics"), 200);
  const std::string before = waitForLines(log, 5);
  EXPECT_EQ(
      before.rfind(
          "203.0.113.9 GET /healthz 200 3\n127.0.0.2 GET /nothing? 404 10\n127.0.0.1 GET /metrics 200 ", 0),
      0u)
      << before;
  EXPECT_NE(before.find("\n203.0.113.9 GET /metrics 403 10\n127.0.0.2 GET /metrics 200 "), std::string::npos)
      << before;
  fs::rename(log, log.string() + ".1");
  ::kill(server.pid(), SIGHUP);
  std::string after;
  for (int attempt = 0; attempt < 1000 && after.empty(); ++attempt) {  // until the new file takes the lines
    request("127.0.0.1", "", "/healthz");
    after = waitForLines(log, 0);
  }
  EXPECT_NE(after.find("127.0.0.1 GET /healthz 200 3\n"), std::string::npos);
  EXPECT_EQ(server.stop(SIGTERM, 30), 0);
  fs::remove(log);
  fs::remove(log.string() + ".1");
}

TEST(VyrserveOperations, CountsInThePrometheusFormat) {
  SERVERPROCESS server({"--data", VYR_BUILT_ARCHIVE});
  for (int n = 0; n < 3; ++n) post(server.port(), "/api/check", "{\"orders\":\"BANISH 3\",\"game\":1}");
  post(server.port(), "/api/check", "{");
  get(server.port(), "/nothing");
  RAWANSWER metrics;
  int polls = 0;                   // the earlier answers of /metrics, counted too
  for (; polls < 1000; ++polls) {  // until the earlier connections have closed
    metrics = get(server.port(), "/metrics");
    if (metrics.body.find("vyrserve_connections_open 1\n") != std::string::npos) break;
  }
  ASSERT_EQ(metrics.status, 200);
  EXPECT_EQ(metrics.headers["content-type"].rfind("text/plain; version=0.0.4", 0), 0u);
  for (const std::string& line :
       {std::string("vyrserve_checks_total 4\n"),
        "vyrserve_responses_total{code=\"2xx\"} " + std::to_string(3 + polls) + "\n",
        std::string("vyrserve_responses_total{code=\"4xx\"} 2\n"),
        "vyrserve_request_duration_seconds_count " + std::to_string(5 + polls) + "\n",
        "vyrserve_request_duration_seconds_bucket{le=\"+Inf\"} " + std::to_string(5 + polls) + "\n",
        std::string("vyrserve_check_errors_total 0\n"), std::string("vyrserve_log_lines_dropped_total 0\n"),
        std::string("# TYPE vyrserve_request_duration_seconds histogram\n")}) {
    EXPECT_NE(metrics.body.find(line), std::string::npos) << line << metrics.body;
  }
}

}  // namespace
}  // namespace vyr::test

#endif
