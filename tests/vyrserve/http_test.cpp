// The web checker as its users meet it: the built vyrserve on a loopback
// port, spoken to over sockets. Its answers are compared with what VyrSyn and
// vyrcheck give for the same orders.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "vyrserve/serverprocess.h"

#if defined(VYR_VYRSERVE)

namespace vyr::test {
namespace {

namespace fs = std::filesystem;
using JSON = nlohmann::json;
using CLOCK = std::chrono::steady_clock;

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool isUtf8(const std::string& text) {
  try {
    (void)JSON(text).dump();
    return true;
  } catch (const JSON::type_error&) {
    return false;
  }
}

std::string checkBody(std::string_view orders, int game) {
  return JSON{{"orders", std::string(orders)}, {"game", game}}.dump();
}

class VyrserveHttp : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // A timeout far beyond the clients' ten seconds: an answer that waited
    // for it would come too late for them.
    server_ = new SERVERPROCESS(
        {"--data", VYR_BUILT_ARCHIVE, "--max-bytes", "200000", "--workers", "16", "--timeout", "600"});
  }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }
  static int port() { return server_->port(); }

  static SERVERPROCESS* server_;
};
SERVERPROCESS* VyrserveHttp::server_ = nullptr;

// Every answer, found or not, carries these.
const std::vector<std::pair<std::string, std::string>> kSecurityFields = {
    {"x-content-type-options", "nosniff"},
    {"referrer-policy", "no-referrer"},
    {"x-frame-options", "DENY"},
    {"cross-origin-resource-policy", "same-origin"},
};

TEST_F(VyrserveHttp, ServesThePageItsPartsAndNothingElse) {
  struct CASE {
    std::string path;
    int status;
    std::string type;  // the start of the content type
    std::string holds;
  };
  const std::vector<CASE> cases = {
      {"/", 200, "text/html", "<textarea id=\"orders\""},
      {"/page.js", 200, "text/javascript", "/api/check"},
      {"/page.css", 200, "text/css", "mark.error"},
      {"/%70age.css", 200, "text/css", "mark.error"},
      {"/codes", 200, "text/html", "<h1"},
      {"/healthz", 200, "text/plain", "ok"},
      {"/api/worlds", 200, "application/json",
       "\"worlds\":[{\"number\":1,\"name\":\"Ashmere\",\"games\":[1,2,3]}"},
      {"/../etc/passwd", 404, "text/plain", "not found"},
      {"/%2e%2e/etc/passwd", 404, "text/plain", "not found"},
      {"/%2E%2E/%2E%2E/etc/passwd", 404, "text/plain", "not found"},
      {"/%2e%2e%2fetc%2fpasswd", 404, "text/plain", "not found"},
      {"/..%2f..%2f..%2fetc%2fpasswd", 404, "text/plain", "not found"},
      {"/%252e%252e/etc/passwd", 404, "text/plain", "not found"},
      {"/page.js/../../etc/passwd", 404, "text/plain", "not found"},
      {"//etc/passwd", 404, "text/plain", "not found"},
      {"/..\\..\\etc\\passwd", 404, "text/plain", "not found"},
      {"/etc/passwd", 404, "text/plain", "not found"},
      {"/api/check/../../etc/passwd", 404, "application/json", "not found"},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.path);
    RAWANSWER answer = get(port(), c.path);
    EXPECT_EQ(answer.status, c.status);
    EXPECT_EQ(answer.headers["content-type"].rfind(c.type, 0), 0u) << answer.headers["content-type"];
    EXPECT_NE(answer.body.find(c.holds), std::string::npos) << answer.body.substr(0, 300);
    EXPECT_EQ(answer.body.find("root:"), std::string::npos);
    EXPECT_NE(answer.headers["content-security-policy"].find("script-src 'self'"), std::string::npos);
    EXPECT_EQ(answer.headers["content-security-policy"].find("unsafe-inline"), std::string::npos);
    EXPECT_EQ(answer.headers.count("set-cookie"), 0u);
    for (const auto& [field, value] : kSecurityFields) EXPECT_EQ(answer.headers[field], value) << field;
  }
}

TEST_F(VyrserveHttp, RefusesOtherMethods) {
  struct CASE {
    std::string request;
    int status;
    std::string allow;
    int then = 0;  // the status of a GET /healthz after it on the same connection, when not 0
  };
  const std::string healthz = "GET /healthz HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";
  const std::vector<CASE> cases = {
      {"PUT / HTTP/1.1\r\nHost: x\r\nContent-Length: 0\r\n\r\n" + healthz, 405, "", 200},
      {"GET /api/check HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n", 405, "POST"},
      {"PUT / HTTP/1.1\r\nHost: x\r\nContent-Length: 0\r\nConnection: close\r\n\r\n", 405, "GET, HEAD"},
      {"DELETE /api/worlds HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n", 405, "GET, HEAD"},
      {"HEAD /healthz HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n", 200, ""},
      {"BREW / HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n", 400, ""},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.request);
    RAWANSWER answer;
    const int socket = connectTo(port());
    ASSERT_TRUE(sendAll(socket, c.request));
    bool closed = false;
    const std::string both = c.then != 0 ? readToClose(socket, closed) : std::string();
    if (c.then != 0) {
      answer.status = std::atoi(both.substr(9, 3).c_str());
      const std::size_t second = both.find("HTTP/1.1 ", 1);
      ASSERT_NE(second, std::string::npos) << both;
      EXPECT_EQ(both.substr(second, 12), "HTTP/1.1 " + std::to_string(c.then)) << both;
      EXPECT_EQ(both.find("\r\nAllow:", second), std::string::npos) << "nothing of the answer before is left";
    } else if (c.request.starts_with("HEAD")) {  // no body follows the head
      char piece[4096];
      const ssize_t got = ::recv(socket, piece, sizeof piece, 0);
      answer.status = got > 12 ? std::atoi(std::string(piece + 9, 3).c_str()) : 0;
    } else {
      answer = readAnswer(socket);
    }
    ::close(socket);
    EXPECT_EQ(answer.status, c.status);
    if (!c.allow.empty()) {
      EXPECT_EQ(answer.headers["allow"], c.allow);
    }
  }
}

// Every orders text of the examples and of VyrSyn's standard-input cases.
std::vector<fs::path> ordersFiles() {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(fs::path(VYR_SOURCE_DIR) / "examples"))
    files.push_back(entry.path());
  for (const auto& entry : fs::directory_iterator(fs::path(VYR_SOURCE_DIR) / "tests/e2e/cases")) {
    if (fs::exists(entry.path() / "stdin")) files.push_back(entry.path() / "stdin");
  }
  std::sort(files.begin(), files.end());
  return files;
}

TEST_F(VyrserveHttp, AnswersWhatVyrSynAndVyrcheckAnswer) {
  const std::string vyrsyn = std::string("'") + VYR_VYRSYN + "' ";
  const std::string vyrcheck =
      std::string("'") + VYR_VYRCHECK + "' --format json --data '" + VYR_BUILT_ARCHIVE + "'";
  const std::vector<fs::path> files = ordersFiles();
  ASSERT_GE(files.size(), 5u);
  for (const fs::path& file : files) {
    for (const int game : {1, 7}) {
      SCOPED_TRACE(file.string() + ", game " + std::to_string(game));
      const std::string orders = readFile(file);
      if (!isUtf8(orders)) continue;  // bytes that are not UTF-8: the base64 test below
      const JSON request = {{"game", game}, {"orders", orders}};
      const RAWANSWER answer = post(port(), "/api/check", request.dump());
      ASSERT_EQ(answer.status, 200) << answer.body;
      const JSON result = JSON::parse(answer.body);
      const std::string expected = runWithInput(vyrsyn + std::to_string(game), file.string());
      EXPECT_EQ(result["annotated"].get<std::string>(), expected);
      EXPECT_TRUE(result["utf8"].get<bool>());
      std::istringstream lines(
          runWithInput(vyrcheck + " --game " + std::to_string(game) + " -", file.string()));
      JSON findings = JSON::array();
      JSON total;
      for (std::string line; std::getline(lines, line);) {
        JSON object = JSON::parse(line);
        if (object["type"] == "finding") {
          object["file"] = "orders";
          findings.push_back(object);
        } else if (object["type"] == "total") {
          total = object;
        }
      }
      EXPECT_EQ(result["findings"], findings);
      EXPECT_EQ(result["errors"], total["errors"]);
      EXPECT_EQ(result["warnings"], total["warnings"]);
      EXPECT_EQ(result["format"], 1);
    }
  }
}

std::string base64(std::string_view bytes) {
  static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    unsigned value = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) value |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) value |= static_cast<unsigned char>(bytes[i + 2]);
    text += digits[value >> 18 & 63];
    text += digits[value >> 12 & 63];
    text += i + 1 < bytes.size() ? digits[value >> 6 & 63] : '=';
    text += i + 2 < bytes.size() ? digits[value & 63] : '=';
  }
  return text;
}

std::string unbase64(std::string_view text) {
  std::string bytes;
  unsigned value = 0;
  int bits = 0;
  for (const char c : text) {
    const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const char* at = std::strchr(digits, c);
    if (c == '=' || at == nullptr) break;
    value = value << 6 | static_cast<unsigned>(at - digits);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      bytes += static_cast<char>(value >> bits & 0xFF);
    }
  }
  return bytes;
}

TEST_F(VyrserveHttp, ChecksBytesThatAreNotUtf8AsVyrSynDoes) {
  const std::vector<std::pair<std::string, bool>> texts = {
      {"#VYR Game 1  Ember Company\nRENAME K\xF6nig\nBANISH \xE9t\xE9\n#END\n", false},
      {"RECRUIT 40 Pike\xFF\xFEmen\r\nSTUDY Ice\r\n", false},
      {"ALLY 17\nPASSWORD \xED\xA0\x80\n", false},  // a surrogate
      {readFile(fs::path(VYR_SOURCE_DIR) / "tests/e2e/cases/hostile-nul-bytes-stdin/stdin"), true},
      {"plain ASCII orders\nBANISH 3\n", true},
  };
  const fs::path work = fs::temp_directory_path() / ("vyrserve-bytes-" + std::to_string(::getpid()));
  for (std::size_t k = 0; k < texts.size(); ++k) {
    SCOPED_TRACE(k);
    const JSON request = {{"orders", base64(texts[k].first)}, {"game", 1}, {"encoding", "base64"}};
    const RAWANSWER answer = post(port(), "/api/check", request.dump());
    ASSERT_EQ(answer.status, 200) << answer.body;
    const JSON result = JSON::parse(answer.body);
    { std::ofstream(work, std::ios::binary) << texts[k].first; }
    EXPECT_EQ(unbase64(result["annotated"].get<std::string>()),
              runWithInput(std::string("'") + VYR_VYRSYN + "' 1", work.string()));
    EXPECT_EQ(result["encoding"], "base64");
    EXPECT_EQ(result["utf8"], texts[k].second);
  }
  fs::remove(work);
}

TEST_F(VyrserveHttp, RefusesMalformedRequestsWithAReason) {
  struct CASE {
    std::string body;
    int status;
    std::string reason;
  };
  const std::string deep = std::string(40, '[') + std::string(40, ']');
  const auto nested = [](int levels) {  // arrays inside the request's object
    return "{\"orders\": \"x\", \"game\": 1, \"deep\": " + std::string(levels, '[') + std::string(levels, ']') + "}";
  };
  const std::vector<CASE> cases = {
      {"", 400, "malformed JSON"},
      {"{\"orders\": \"BANISH 3\", \"game\": 1", 400, "malformed JSON at byte"},
      {"[\"BANISH 3\", 1]", 400, "must be a JSON object"},
      {"{\"game\": 1}", 400, "missing field 'orders'"},
      {"{\"orders\": \"BANISH 3\"}", 400, "missing field 'game'"},
      {"{\"orders\": 3, \"game\": 1}", 400, "'orders' must be a string"},
      {"{\"orders\": \"x\", \"game\": 0}", 400, "'game' must be a whole number"},
      {"{\"orders\": \"x\", \"game\": \"1\"}", 400, "'game' must be a whole number"},
      {"{\"orders\": \"x\", \"game\": 1.5}", 400, "'game' must be a whole number"},
      {"{\"orders\": \"x\", \"game\": 99999999999}", 400, "'game' must be a whole number"},
      {"{\"orders\": \"x\", \"game\": 2147483647}", 200, "\"errors\":1"},
      {"{\"orders\": \"x\", \"game\": 2147483648}", 400, "'game' must be a whole number"},
      {"{\"orders\": \"x\", \"game\": 1, \"encoding\": \"rot13\"}", 400, "'encoding'"},
      {"{\"orders\": \"QkFO!\", \"game\": 1, \"encoding\": \"base64\"}", 400, "not base64"},
      {"{\"orders\": \"\xC3(\", \"game\": 1}", 400, "malformed JSON"},
      {"{\"orders\": \"\\ud800\", \"game\": 1}", 400, "malformed JSON"},
      {"{\"orders\": \"x\", \"game\": 1, \"deep\": " + deep + "}", 400, "nested too deeply"},
      {nested(16), 200, "\"errors\":"},
      {nested(17), 400, "nested too deeply"},
      {"{\"orders\": \"I1=Y\", \"game\": 1, \"encoding\": \"base64\"}", 400, "not base64"},
      {"{\"orders\": \"\", \"game\": 1}", 200, "\"errors\":"},
      {"{\"game\": 3, \"extra\": [1, {}], \"orders\": \"BANISH 3\"}", 200, "\"errors\":1"},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.body);
    RAWANSWER answer = post(port(), "/api/check", c.body);
    EXPECT_EQ(answer.status, c.status);
    EXPECT_NE(answer.body.find(c.reason), std::string::npos) << answer.body;
    EXPECT_EQ(answer.headers["content-type"], "application/json; charset=utf-8");
  }
}

TEST_F(VyrserveHttp, RefusesBodiesOverTheLimitUnchecked) {
  const std::string filler(200000, ' ');
  struct CASE {
    std::string request;
    int status;
  };
  const std::string exact = checkBody("BANISH 3", 1);
  const std::string padded = exact + std::string(200000 - exact.size(), ' ');
  const std::vector<CASE> cases = {
      {"POST /api/check HTTP/1.1\r\nHost: x\r\nConnection: close\r\nContent-Length: " +
           std::to_string(padded.size()) + "\r\n\r\n" + padded,
       200},
      {"POST /api/check HTTP/1.1\r\nHost: x\r\nConnection: close\r\nContent-Length: " +
           std::to_string(padded.size() + 1) + "\r\n\r\n" + padded + " ",
       413},
      {"POST /api/check HTTP/1.1\r\nHost: x\r\nConnection: close\r\nContent-Length: 5000000000\r\n\r\n{",
       413},
      {"POST /api/check HTTP/1.1\r\nHost: x\r\nConnection: close\r\nTransfer-Encoding: chunked\r\n\r\n" +
           std::string("30D41\r\n") + padded + "  \r\n0\r\n\r\n",
       413},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.request.substr(0, 120));
    RAWANSWER answer = exchange(port(), c.request);
    EXPECT_EQ(answer.status, c.status);
    if (c.status == 413) {
      EXPECT_NE(answer.body.find("larger than 200000 bytes"), std::string::npos) << answer.body;
      EXPECT_EQ(answer.body.find("errors"), std::string::npos);
      EXPECT_EQ(answer.headers["connection"], "close");
    }
  }
}

TEST_F(VyrserveHttp, ConcurrentChecksGetTheirOwnAnswers) {
  const std::vector<fs::path> files = ordersFiles();
  std::vector<std::string> bodies;
  std::vector<std::string> expected;
  for (const fs::path& file : files) {
    const std::string orders = readFile(file);
    if (!isUtf8(orders)) continue;
    bodies.push_back(checkBody(orders, bodies.size() % 2 ? 7 : 1));
    expected.push_back(post(port(), "/api/check", bodies.back()).body);
  }
  ASSERT_GE(bodies.size(), 4u);
  std::atomic<int> wrong{0};
  std::atomic<int> answered{0};
  std::vector<std::thread> clients;
  for (int client = 0; client < 12; ++client) {
    clients.emplace_back([&, client] {
      const int socket = connectTo(port());  // one keep-alive connection each
      for (int n = 0; n < 25; ++n) {
        const std::size_t k = static_cast<std::size_t>(client * 7 + n) % bodies.size();
        const std::string request =
            "POST /api/check HTTP/1.1\r\nHost: x\r\nContent-Length: " + std::to_string(bodies[k].size()) +
            "\r\n\r\n" + bodies[k];
        if (!sendAll(socket, request)) break;
        const RAWANSWER answer = readAnswer(socket);
        if (answer.status == 0) break;
        ++answered;
        if (answer.status != 200 || answer.body != expected[k]) ++wrong;
      }
      ::close(socket);
    });
  }
  for (std::thread& client : clients) client.join();
  EXPECT_EQ(wrong.load(), 0);
  EXPECT_EQ(answered.load(), 12 * 25);
}

TEST(VyrserveServer, ATricklingRequestIsCutOffAtItsDeadline) {
  SERVERPROCESS server({"--data", VYR_BUILT_ARCHIVE, "--workers", "1", "--timeout", "1"});
  const int socket = connectTo(server.port());
  const std::string request = "POST /api/check HTTP/1.1\r\nHost: x\r\nContent-Length: 900\r\n\r\n";
  const auto start = CLOCK::now();
  bool cut = false;
  // A byte every 300 ms never meets a timeout per read of a second, but the
  // whole request must arrive within one; the minute is a guard against hangs.
  for (std::size_t sent = 0; CLOCK::now() - start < std::chrono::seconds(60); ++sent) {
    const char byte = sent < request.size() ? request[sent] : ' ';
    if (::send(socket, &byte, 1, MSG_NOSIGNAL) != 1) {
      cut = true;
      break;
    }
    pollfd entry{socket, POLLIN, 0};
    if (::poll(&entry, 1, 300) > 0) {  // an answer or the close
      cut = true;
      break;
    }
  }
  ::close(socket);
  EXPECT_TRUE(cut);
  EXPECT_EQ(get(server.port(), "/healthz").status, 200);
}

TEST(VyrserveServer, StopsOnASignalAfterTheRequestsInFlight) {
  for (const int signal : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(signal);
    SERVERPROCESS server({"--data", VYR_BUILT_ARCHIVE});
    const std::string body = checkBody("BANISH 3\n", 1);
    const int idle = connectTo(server.port());  // kept alive after its answer
    ASSERT_TRUE(sendAll(idle, "GET /healthz HTTP/1.1\r\nHost: x\r\n\r\n"));
    ASSERT_EQ(readAnswer(idle).status, 200);
    const int socket = connectTo(server.port());
    const std::string head = "POST /api/check HTTP/1.1\r\nHost: x\r\nExpect: 100-continue\r\nContent-Length: " +
                             std::to_string(body.size()) + "\r\n\r\n";
    ASSERT_TRUE(sendAll(socket, head));
    char piece[64] = {};
    ASSERT_GT(::recv(socket, piece, sizeof piece - 1, 0), 0);  // the head is read: the request is in flight
    EXPECT_EQ(std::string(piece).substr(0, 12), "HTTP/1.1 100");
    ::kill(server.pid(), signal);
    int refused = -1;  // until the server takes no new connection
    for (int attempt = 0; attempt < 5000 && refused == -1; ++attempt) {
      const int probe = connectTo(server.port(), 2);
      if (probe < 0) refused = 1;
      ::close(probe);
    }
    EXPECT_EQ(refused, 1);
    ASSERT_TRUE(sendAll(socket, body));
    RAWANSWER answer = readAnswer(socket);
    ::close(socket);
    EXPECT_EQ(answer.status, 200);
    EXPECT_NE(answer.body.find("\"errors\":1"), std::string::npos);
    EXPECT_EQ(answer.headers["connection"], "close");
    bool closed = false;
    EXPECT_EQ(readToClose(idle, closed), "");  // the idle one was closed
    EXPECT_TRUE(closed);
    ::close(idle);
    EXPECT_EQ(server.stop(0, 30), 0);
  }
}

TEST(VyrserveServer, DoesNotStartOnFaultyDataOrArguments) {
  struct CASE {
    std::string arguments;
    int status;
    std::string said;
  };
  const fs::path empty = fs::temp_directory_path() / ("vyrserve-empty-" + std::to_string(::getpid()));
  fs::create_directories(empty);
  SERVERPROCESS taken({"--data", VYR_BUILT_ARCHIVE});
  const std::vector<CASE> cases = {
      {"--data /nonexistent/syntax.dat", 1, "/nonexistent/syntax.dat: "},
      {"--data '" + empty.string() + "'", 1, empty.string() + ": "},
      {"--listen nowhere", 2, "invalid value 'nowhere' for --listen"},
      {"--game 0", 2, "invalid value '0' for --game"},
      {"--max-bytes=", 2, "invalid value '' for --max-bytes"},
      {"--colour", 2, "unknown option '--colour'"},
      {"--listen 127.0.0.1:" + std::to_string(taken.port()), 1,
       "cannot listen on 127.0.0.1:" + std::to_string(taken.port())},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.arguments);
    const std::string command =
        std::string("timeout 20 '") + VYR_VYRSERVE + "' " + c.arguments + " 2>&1; echo \"status $?\"";
    const std::string said = runWithInput(command, "/dev/null");
    EXPECT_NE(said.find(c.said), std::string::npos) << said;
    EXPECT_NE(said.find("status " + std::to_string(c.status) + "\n"), std::string::npos) << said;
  }
  fs::remove_all(empty);
}

}  // namespace
}  // namespace vyr::test

#endif
