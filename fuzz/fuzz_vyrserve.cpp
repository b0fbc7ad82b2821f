// Fuzz target: the web checker's request handling, on the sample game data.
//
// An input that starts with a capital letter is a raw HTTP exchange: its
// bytes go over a loopback socket to a real HTTPSERVER (started once, with a
// small body limit and a one-second timeout), the client then half-closes and
// reads to the end. Every answer must start as an HTTP/1.1 status line, and
// the server must still answer a health check afterwards.
//
// Any other input is a POST /api/check body, answered as the server answers
// it without its sockets. Besides crashes it watches the answer: a status of
// 200, 400 or 413, a JSON body with the fields of its kind, and for 200 the
// counts and findings the engine gives for the same orders.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>

#include "vyrserve/enginecall.h"
#include "vyrserve/httpserver.h"
#include "vyrserve/webchecker.h"

namespace {

constexpr std::size_t kMaxBytes = 1 << 16;

vyr::WEBCHECKER& checker() {
  static vyr::WEBCHECKER* made = [] {
    std::string error;
    if (!vyr::loadServedData(VYR_SOURCE_DIR "/data", error)) std::abort();
    return new vyr::WEBCHECKER(1, kMaxBytes);
  }();
  return *made;
}

// The server, serving on its own thread for the whole run.
int serverPort() {
  static const int port = [] {
    vyr::SERVERSETTINGS settings;
    settings.port = 0;
    settings.workers = 2;
    settings.timeoutSeconds = 1;
    settings.keepAliveSeconds = 1;
    settings.maxBytes = 4096;
    auto* server = new vyr::HTTPSERVER(checker(), settings);
    if (!server->bind()) std::abort();
    std::thread([server] { server->run(); }).detach();
    return server->port();
  }();
  return port;
}

int connected() {
  const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
  if (socket < 0) std::abort();
  timeval limit{5, 0};
  ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  ::setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(serverPort()));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) std::abort();
  return socket;
}

// Sends the bytes, half-closes, and answers all that came back.
std::string exchange(const std::string& bytes) {
  const int socket = connected();
  for (std::size_t sent = 0; sent < bytes.size();) {
    const ssize_t wrote = ::send(socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (wrote <= 0) break;  // the server refused and closed: fine
    sent += static_cast<std::size_t>(wrote);
  }
  ::shutdown(socket, SHUT_WR);
  std::string answer;
  char piece[8192];
  for (ssize_t got; (got = ::recv(socket, piece, sizeof piece, 0)) > 0;)
    answer.append(piece, static_cast<std::size_t>(got));
  ::close(socket);
  return answer;
}

void fuzzHttp(const std::string& bytes) {
  const std::string answer = exchange(bytes);
  if (!answer.empty() && answer.rfind("HTTP/1.", 0) != 0) std::abort();
  static int exchanges = 0;
  if (++exchanges % 500 == 0) {
    const std::string health = exchange("GET /healthz HTTP/1.1\r\nHost: x\r\n\r\n");
    if (health.rfind("HTTP/1.1 200 ", 0) != 0) std::abort();
  }
}

void fuzzCheck(const std::string& body) {
  const vyr::HTTPANSWER answer = checker().check(body);
  if (answer.contentType != "application/json; charset=utf-8") std::abort();
  const nlohmann::json document = nlohmann::json::parse(answer.body, nullptr, false);
  if (document.is_discarded() || !document.is_object() || document.value("format", 0) != 1) std::abort();
  if (answer.status == 400 || answer.status == 413) {
    if (!document.contains("error") || !document["error"].is_string()) std::abort();
    if ((answer.status == 413) != (body.size() > kMaxBytes)) std::abort();
    return;
  }
  if (answer.status != 200) std::abort();
  if (!document["findings"].is_array() || !document["annotated"].is_string()) std::abort();
  const std::size_t findings = document["findings"].size();
  if (document["errors"].get<int>() + document["warnings"].get<int>() < 0 || findings > 1000000) std::abort();
  for (const nlohmann::json& finding : document["findings"]) {
    if (!finding["line"].is_number_integer() || finding["line"].get<int>() < 1) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  if (!bytes.empty() && bytes[0] >= 'A' && bytes[0] <= 'Z') {
    fuzzHttp(bytes);
  } else {
    fuzzCheck(bytes);
  }
  return 0;
}
