// A small client of the language server for the tests: starts the built
// vyrls with pipes on its standard streams, sends messages and reads them
// back, every wait bounded by a timeout.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <deque>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace vyr {

class LSPCLIENT {
 public:
  using json = nlohmann::json;
  static constexpr int kTimeoutMs = 20000;

  explicit LSPCLIENT(std::vector<std::string> arguments = {}) {
    int in[2];
    int out[2];
    if (pipe(in) != 0 || pipe(out) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(in[0], 0);
      dup2(out[1], 1);
      close(in[1]);
      close(out[0]);
      std::vector<char*> argv;
      std::string program = VYR_VYRLS;
      argv.push_back(program.data());
      for (std::string& argument : arguments) argv.push_back(argument.data());
      argv.push_back(nullptr);
      execv(program.c_str(), argv.data());
      _exit(127);
    }
    close(in[0]);
    close(out[1]);
    toServer_ = in[1];
    fromServer_ = out[0];
    signal(SIGPIPE, SIG_IGN);
  }
  ~LSPCLIENT() {
    closeInput();
    if (fromServer_ >= 0) close(fromServer_);
    if (pid_ > 0 && status_ < -1) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  LSPCLIENT(const LSPCLIENT&) = delete;
  LSPCLIENT& operator=(const LSPCLIENT&) = delete;

  void sendRaw(const std::string& bytes) {
    for (std::size_t at = 0; at < bytes.size();) {
      const ssize_t put = write(toServer_, bytes.data() + at, bytes.size() - at);
      if (put <= 0) return;
      at += static_cast<std::size_t>(put);
    }
  }
  void send(const json& message) {
    const std::string body = message.dump();
    sendRaw("Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
  }
  void request(int id, const std::string& method, json params = json::object()) {
    send({{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", std::move(params)}});
  }
  void notify(const std::string& method, json params = json::object()) {
    send({{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}});
  }
  void closeInput() {
    if (toServer_ >= 0) close(toServer_);
    toServer_ = -1;
  }

  // The next message, or null after the timeout or at the end of output.
  json next(int timeoutMs = kTimeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      const std::size_t headerEnd = buffer_.find("\r\n\r\n");
      if (headerEnd != std::string::npos) {
        const std::size_t length = std::stoul(buffer_.substr(buffer_.find(':') + 1, headerEnd));
        if (buffer_.size() >= headerEnd + 4 + length) {
          json message = json::parse(buffer_.substr(headerEnd + 4, length));
          buffer_.erase(0, headerEnd + 4 + length);
          seen_.push_back(message);
          return message;
        }
      }
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return nullptr;
      pollfd wanted{fromServer_, POLLIN, 0};
      if (poll(&wanted, 1, static_cast<int>(left.count())) <= 0) return nullptr;
      char block[65536];
      const ssize_t got = read(fromServer_, block, sizeof block);
      if (got <= 0) return nullptr;
      buffer_.append(block, static_cast<std::size_t>(got));
    }
  }
  // The first message not yet taken that satisfies the test, read as it
  // comes; the others stay for later waits. Null after the timeout.
  json waitFor(const std::function<bool(const json&)>& wanted, int timeoutMs = kTimeoutMs) {
    for (auto at = unread_.begin(); at != unread_.end(); ++at) {
      if (wanted(*at)) {
        json message = std::move(*at);
        unread_.erase(at);
        return message;
      }
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return nullptr;
      json message = next(static_cast<int>(left.count()));
      if (message.is_null()) return nullptr;
      if (wanted(message)) return message;
      unread_.push_back(std::move(message));
    }
  }
  json response(int id, int timeoutMs = kTimeoutMs) {
    return waitFor([id](const json& m) { return m.contains("id") && m["id"] == id && !m.contains("method"); },
                   timeoutMs);
  }
  // The diagnostics published for a document (with that version, when given).
  json diagnostics(const std::string& uri, long long version = -1, int timeoutMs = kTimeoutMs) {
    return waitFor(
        [&](const json& m) {
          return m.value("method", "") == "textDocument/publishDiagnostics" && m["params"]["uri"] == uri &&
                 (version < 0 || m["params"].value("version", -1LL) == version);
        },
        timeoutMs);
  }
  // Every message read so far.
  const std::vector<json>& seen() const { return seen_; }

  // initialize and initialized; answers the initialize result.
  json start(json initializationOptions = json::object(), json capabilities = json::object()) {
    json options = {{"data", std::string(VYR_BUILT_ARCHIVE)}};
    options.update(initializationOptions);
    request(1, "initialize",
            {{"processId", nullptr}, {"capabilities", capabilities}, {"initializationOptions", options}});
    json answer = response(1);
    notify("initialized");
    return answer.is_null() ? answer : answer["result"];
  }
  void open(const std::string& uri, const std::string& text, long long version = 1) {
    notify("textDocument/didOpen",
           {{"textDocument", {{"uri", uri}, {"languageId", "vyr"}, {"version", version}, {"text", text}}}});
  }

  // The exit status, or -1 when the server did not end within the timeout.
  int exitStatus(int timeoutMs = kTimeoutMs) {
    if (status_ >= -1) return status_;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return status_;
      }
      usleep(10000);
    }
    return -1;
  }

 private:
  pid_t pid_ = -1;
  int toServer_ = -1;
  int fromServer_ = -1;
  int status_ = -2;
  std::string buffer_;
  std::vector<json> seen_;
  std::deque<json> unread_;
};

}  // namespace vyr
