#include "vyrls/vyrls.h"

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

#include "checker/gamenumber.h"
#include "text/fatal.h"
#include "text/optionvalue.h"
#include "vyrls/framing.h"

#ifndef VYRLS_BUILD_DIR
#define VYRLS_BUILD_DIR ""
#endif
#ifndef VYRLS_SOURCE_CODES
#define VYRLS_SOURCE_CODES ""
#endif

namespace vyr {

namespace {

// The messages the reader thread has taken, for the main thread.
class INBOX {
 public:
  // The messages of one read come in together: a client's burst is seen
  // whole, as it was sent.
  void put(std::vector<INCOMING>& incoming) {
    if (incoming.empty()) return;
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      for (INCOMING& one : incoming) waiting_.push_back(std::move(one));
    }
    incoming.clear();
    ready_.notify_one();
  }
  void end() {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      ended_ = true;
    }
    ready_.notify_one();
  }
  // Takes the next message; with `wait` it waits for one. Answers 0 when
  // none is there (without `wait`) or the input has ended.
  int take(INCOMING& incoming, bool wait) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (wait) ready_.wait(lock, [this] { return !waiting_.empty() || ended_; });
    if (waiting_.empty()) return 0;
    incoming = std::move(waiting_.front());
    waiting_.pop_front();
    return 1;
  }
  bool ended() {
    const std::lock_guard<std::mutex> lock(mutex_);
    return ended_ && waiting_.empty();
  }

 private:
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<INCOMING> waiting_;
  bool ended_ = false;
};

void readInput(const std::shared_ptr<INBOX>& inbox) {
  MESSAGEREADER reader;
  std::string block(1 << 16, '\0');
  for (;;) {
    const ssize_t got = ::read(0, block.data(), block.size());
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    reader.feed(std::string_view(block.data(), static_cast<std::size_t>(got)));
    std::vector<INCOMING> read;
    for (INCOMING incoming; nextIncoming(reader, incoming);) read.push_back(std::move(incoming));
    inbox->put(read);
  }
  inbox->end();
}

// Writes the whole message to standard output; a client that went away
// ends the output, not the server.
void writeText(const std::string& text) {
  static bool broken = false;
  const auto writeAll = [](std::string_view bytes) {
    for (std::size_t at = 0; at < bytes.size();) {
      const ssize_t put = ::write(1, bytes.data() + at, bytes.size() - at);
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) return false;
      at += static_cast<std::size_t>(put);
    }
    return true;
  };
  // Framed in place: a large answer (an outline) is not copied again.
  if (broken) return;
  broken = !writeAll(frameHeader(text.size())) || !writeAll(text);
}

void writeMessage(const nlohmann::json& message) { writeText(messageText(message)); }

}  // namespace

// The copy installed with the program (the program lies in bin/ or in
// lib/vyrsyn/, the guide in share/doc/vyrsyn/), or the source tree's when the
// program runs from its build directory; "" when neither is there.
std::string defaultCodesUrl() {
  std::error_code ignored;
  const std::filesystem::path directory =
      std::filesystem::read_symlink("/proc/self/exe", ignored).parent_path();
  if (directory.empty()) return {};
  std::vector<std::filesystem::path> candidates = {directory / "../share/doc/vyrsyn/codes.md",
                                                   directory / "../../share/doc/vyrsyn/codes.md"};
  if (std::filesystem::equivalent(directory, VYRLS_BUILD_DIR, ignored)) candidates.emplace_back(VYRLS_SOURCE_CODES);
  for (const std::filesystem::path& candidate : candidates) {
    if (std::filesystem::is_regular_file(candidate, ignored)) {
      return "file://" + std::filesystem::weakly_canonical(candidate, ignored).string();
    }
  }
  return {};
}

std::string vyrlsUsage() {
  return "Usage: vyrls [--stdio] [options]\n"
         "The language server of Vyr orders files, on standard input and output.\n"
         "  --stdio               talk on standard input and output (the only way; the default)\n"
         "  --data ARCHIVE|DIR    the game data (default syntax.dat beside the program)\n"
         "  --game N              the game number (default 1)\n"
         "  --codes-url URL       where the codes of the findings are explained\n"
         "  -h, --help            print this text\n"
         "  --version             print the version\n";
}

int parseVyrlsOptions(const std::vector<std::string_view>& arguments, VYRLSOPTIONS& options,
                      std::string& fault) {
  for (std::size_t i = 0; i < arguments.size() && fault.empty(); ++i) {
    const std::string_view argument = arguments[i];
    std::string_view value;
    if (argument == "--stdio") continue;
    if (argument.starts_with("--clientProcessId")) {  // some clients add it; the server does not watch
      if (argument == "--clientProcessId") ++i;
      continue;
    }
    if (argument == "-h" || argument == "--help") {
      options.help = 1;
    } else if (argument == "--version") {
      options.version = 1;
    } else if (optionValue(arguments, i, "--data", value, fault)) {
      options.server.data = value;
    } else if (optionValue(arguments, i, "--codes-url", value, fault)) {
      options.server.codesUrl = value;
    } else if (optionValue(arguments, i, "--game", value, fault)) {
      // The editor shows this one: the server serves and checks nothing.
      if (fault.empty() && !parseGameNumber(value, options.server.gameNo)) {
        options.setupFault = "bad game number '" + std::string(value) + "' (--game)";
      }
    } else {
      fault = "unknown argument '" + std::string(argument) + "'";
    }
  }
  return fault.empty() ? 1 : 0;
}

int runVyrls(int argc, char** argv) {
  VYRLSOPTIONS options;
  std::string fault;
  if (!parseVyrlsOptions(std::vector<std::string_view>(argv + 1, argv + argc), options, fault)) {
    std::fprintf(stderr, "vyrls: %s\n%s", fault.c_str(), vyrlsUsage().c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(vyrlsUsage().c_str(), stdout);
    return 0;
  }
  if (options.version) {
    std::fputs("vyrls " VYR_VERSION "\n", stdout);
    return 0;
  }
  if (options.server.codesUrl.empty()) options.server.codesUrl = defaultCodesUrl();
  setFatalHandler(throwLibraryFault);
  std::signal(SIGPIPE, SIG_IGN);

  // The reader is never joined: at the end it may still wait in read.
  auto inbox = std::make_shared<INBOX>();
  std::thread([inbox] { readInput(inbox); }).detach();
  SERVER server(options.server, writeMessage);
  server.setSetupFault(options.setupFault);
  server.setTextSender(writeText);
  const auto handleWaiting = [&server, &inbox] {
    for (INCOMING incoming; !server.exited() && inbox->take(incoming, false);) server.handle(incoming);
  };
  while (!server.exited()) {
    INCOMING incoming;
    if (inbox->take(incoming, !server.checksWaiting() && !server.requestsWaiting())) {
      server.handle(incoming);
    } else if (server.checksWaiting()) {
      server.checkNext(handleWaiting);
    } else if (server.requestsWaiting()) {
      server.answerNext();
    } else if (inbox->ended()) {
      return server.endStatus();
    }
  }
  return server.exitStatus();
}

}  // namespace vyr
