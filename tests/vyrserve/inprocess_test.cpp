// The web checker's checks and server in this process, on many threads at
// once: every answer must be the one the same request gets alone. (Run in a
// ThreadSanitizer build, these are the web checker's race tests.)
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>
#include <vector>

#include "vyrserve/enginecall.h"
#include "vyrserve/httpserver.h"
#include "vyrserve/serverprocess.h"
#include "vyrserve/webchecker.h"

#if defined(VYR_BUILT_ARCHIVE)

namespace vyr {
namespace {

namespace fs = std::filesystem;

class VyrserveInProcess : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string error;
    ASSERT_TRUE(loadServedData(VYR_BUILT_ARCHIVE, error)) << error;
  }
  static void TearDownTestSuite() { releaseServedData(); }

  // Check bodies of the example orders, for games 1 and 7 in turn.
  static std::vector<std::string> bodies() {
    std::vector<std::string> all;
    for (const auto& entry : fs::directory_iterator(fs::path(VYR_SOURCE_DIR) / "examples")) {
      std::ifstream in(entry.path(), std::ios::binary);
      std::ostringstream text;
      text << in.rdbuf();
      const nlohmann::json body = {{"orders", text.str()}, {"game", all.size() % 2 ? 7 : 1}};
      all.push_back(body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
    }
    return all;
  }
};

TEST_F(VyrserveInProcess, ChecksOnManyThreadsGiveWhatEachGivesAlone) {
  WEBCHECKER checker(1, 1 << 20);
  const std::vector<std::string> requests = bodies();
  ASSERT_GE(requests.size(), 3u);
  std::vector<std::string> alone;
  for (const std::string& body : requests) alone.push_back(checker.check(body).body);
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int thread = 0; thread < 8; ++thread) {
    threads.emplace_back([&, thread] {
      for (int n = 0; n < 20; ++n) {
        const std::size_t k = static_cast<std::size_t>(thread * 5 + n) % requests.size();
        if (checker.check(requests[k]).body != alone[k]) ++wrong;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(wrong.load(), 0);
}

TEST_F(VyrserveInProcess, ServesClientsOnItsThreadsAndStops) {
  WEBCHECKER checker(1, 1 << 20);
  SERVERSETTINGS settings;
  settings.port = 0;
  settings.workers = 4;
  HTTPSERVER server(checker, settings);
  ASSERT_EQ(server.bind(), 1);
  std::thread serving([&server] { server.run(); });
  const std::vector<std::string> requests = bodies();
  std::vector<std::string> alone;
  for (const std::string& body : requests) alone.push_back(checker.check(body).body);
  std::atomic<int> wrong{0};
  std::atomic<int> answered{0};
  std::vector<std::thread> clients;
  for (int client = 0; client < 8; ++client) {
    clients.emplace_back([&, client] {
      const int socket = test::connectTo(server.port());  // one keep-alive connection each
      for (int n = 0; n < 15; ++n) {
        const std::size_t k = static_cast<std::size_t>(client * 3 + n) % requests.size();
        const std::string request =
            "POST /api/check HTTP/1.1\r\nHost: x\r\nContent-Length: " + std::to_string(requests[k].size()) +
            "\r\n\r\n" + requests[k];
        if (!test::sendAll(socket, request)) break;
        const test::RAWANSWER answer = test::readAnswer(socket);
        if (answer.status == 0) break;
        ++answered;
        if (answer.status != 200 || answer.body != alone[k]) ++wrong;
      }
      ::close(socket);
    });
  }
  for (std::thread& client : clients) client.join();
  server.stop();
  serving.join();  // stop ends run: no connection is left open
  EXPECT_EQ(wrong.load(), 0);
  EXPECT_EQ(answered.load(), 8 * 15);
}

}  // namespace
}  // namespace vyr

#endif
