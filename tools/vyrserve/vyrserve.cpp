#include "vyrserve/vyrserve.h"

#include <pthread.h>
#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "vyrserve/accesslog.h"
#include "vyrserve/enginecall.h"
#include "vyrserve/httpserver.h"
#include "vyrserve/options.h"

namespace vyr {

namespace {

void say(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

std::string shownAddress(const std::string& host, int port) {
  const std::string shown = host.find(':') != std::string::npos ? "[" + host + "]" : host;
  return shown + ":" + std::to_string(port);
}

// As many connections as the process may open files.
void raiseDescriptorLimit() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= limit.rlim_max) return;
  limit.rlim_cur = limit.rlim_max;
  ::setrlimit(RLIMIT_NOFILE, &limit);
}

// The signals the watch below takes, blocked before any thread starts so
// that every thread inherits the mask.
sigset_t watchedSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGHUP);
  return signals;
}

// Waits for SIGTERM or SIGINT and stops the server then; SIGHUP reopens the
// request log.
class SIGNALWATCH {
 public:
  SIGNALWATCH(HTTPSERVER& server, ACCESSLOG* log) : server_(server), log_(log), signals_(watchedSignals()) {
    thread_ = std::thread([this] { watch(); });
  }
  ~SIGNALWATCH() {
    done_ = true;
    thread_.join();
  }
  SIGNALWATCH(const SIGNALWATCH&) = delete;
  SIGNALWATCH& operator=(const SIGNALWATCH&) = delete;

 private:
  void watch() {
    const timespec slice{0, 50'000'000};
    bool stopping = false;
    while (!done_) {
      const int got = sigtimedwait(&signals_, nullptr, &slice);
      if (got == SIGHUP && log_ != nullptr) log_->reopen();
      if ((got == SIGTERM || got == SIGINT) && !stopping) {
        say(std::string("vyrserve: ") + (got == SIGTERM ? "SIGTERM" : "SIGINT") + ", stopping\n");
        stopping = true;
        server_.stop();
      }
    }
  }

  HTTPSERVER& server_;
  ACCESSLOG* log_;
  sigset_t signals_{};
  std::atomic<bool> done_{false};
  std::thread thread_;
};

}  // namespace

int runVyrserve(int argc, char** argv) {
  installServedFaultHandler();
  std::vector<std::string_view> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  SERVEOPTIONS options;
  std::string fault;
  if (!parseServeOptions(arguments, options, fault)) {
    say("vyrserve: " + fault + "\n" + "Try 'vyrserve --help'.\n");
    return 2;
  }
  if (options.help) {
    const std::string usage = serveUsage();
    std::fwrite(usage.data(), 1, usage.size(), stdout);
    return 0;
  }
  if (options.version) {
    std::fputs("vyrserve " VYR_VERSION "\n", stdout);
    return 0;
  }
  std::signal(SIGPIPE, SIG_IGN);
  const sigset_t watched = watchedSignals();
  pthread_sigmask(SIG_BLOCK, &watched, nullptr);
  raiseDescriptorLimit();
  std::string error;
  if (!loadServedData(options.data, error)) {
    say("vyrserve: " + error + "\n");
    return 1;
  }
  int status = 0;
  {
    std::unique_ptr<ACCESSLOG> log;
    if (!options.quiet) {
      log = std::make_unique<ACCESSLOG>(options.accessLog);
      if (!log->open(error)) {
        say("vyrserve: " + error + "\n");
        releaseServedData();
        return 1;
      }
    }
    WEBCHECKER checker(options.gameNo, options.maxBytes);
    SERVERSETTINGS settings;
    settings.host = options.host;
    settings.port = options.port;
    settings.workers = options.workers;
    settings.timeoutSeconds = options.timeoutSeconds;
    settings.keepAliveSeconds = std::min(5, options.timeoutSeconds);
    settings.maxBytes = options.maxBytes;
    settings.maxConnections = options.maxConnections;
    settings.connectionsPerClient = options.perClient;
    settings.trustedProxy = options.trustedProxy;
    settings.metricsFrom = options.metricsFrom;
    settings.log = log.get();
    {
      HTTPSERVER server(checker, settings);
      SIGNALWATCH watch(server, log.get());
      if (!server.bind()) {
        say("vyrserve: cannot listen on " + shownAddress(options.host, options.port) + "\n");
        status = 1;
      } else {
        say("vyrserve: listening on http://" + shownAddress(options.host, server.port()) + "/\n");
        status = server.run() ? 0 : 1;
      }
    }
    const std::uint64_t dropped = log != nullptr ? log->dropped() : 0;
    log.reset();  // the lines still queued come before the last word
    if (dropped > 0) say("vyrserve: " + std::to_string(dropped) + " request log lines dropped\n");
    if (status == 0) say("vyrserve: stopped\n");
  }
  releaseServedData();
  return status;
}

}  // namespace vyr
