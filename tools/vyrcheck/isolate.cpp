#include "vyrcheck/isolate.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <deque>
#include <utility>
#include <vector>

namespace vyr {

namespace {

// Each report travels as "<status> <length>\n" and its bytes. After each
// piece the child also ends that piece's part of its standard output with a
// NUL byte (the checker's messages hold none), so that what a piece printed
// is matched with its report whichever pipe is read first.

// Writes all of the text to the descriptor; gives up when the reader is gone.
void writeAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t written = write(fd, text.data(), text.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return;
    text.remove_prefix(static_cast<std::size_t>(written));
  }
}

[[noreturn]] void runChild(int first, int end, const std::function<int(int, std::string&)>& work,
                           int reportFd, int consoleFd) {
  const int nothing = open("/dev/null", O_RDONLY);
  if (nothing >= 0) {
    dup2(nothing, STDIN_FILENO);
    close(nothing);
  }
  dup2(consoleFd, STDOUT_FILENO);
  close(consoleFd);
  std::string report;
  for (int k = first; k < end; ++k) {
    report.clear();
    const int status = work(k, report) & 0xFF;
    std::fflush(stdout);
    writeAll(STDOUT_FILENO, std::string_view("\0", 1));
    writeAll(reportFd, std::to_string(status) + ' ' + std::to_string(report.size()) + '\n');
    writeAll(reportFd, report);
  }
  close(reportFd);
  _exit(0);  // the caller's exit handlers and buffers are not the child's to run
}

// The caller's side: cuts the reports and the console parts out of their
// streams and hands each piece over once both of its parts are in.
class RECEIVER {
 public:
  RECEIVER(int first, const std::function<void(int, int, std::string_view, std::string_view)>& take)
      : next_(first), take_(take) {}

  void console(const char* bytes, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
      if (bytes[i] == '\0') {
        consoles_.push_back(std::move(partial_));
        partial_.clear();
      } else {
        partial_ += bytes[i];
      }
    }
    deliver();
  }

  void reports(const char* bytes, std::size_t size) {
    stream_.append(bytes, size);
    while (true) {
      const std::size_t newline = stream_.find('\n');
      int status = 0;
      std::size_t length = 0;
      if (newline == std::string::npos || std::sscanf(stream_.c_str(), "%d %zu", &status, &length) != 2)
        break;
      if (stream_.size() < newline + 1 + length) break;
      reports_.emplace_back(status, stream_.substr(newline + 1, length));
      stream_.erase(0, newline + 1 + length);
    }
    deliver();
  }

  [[nodiscard]] int next() const { return next_; }
  // What was printed after the last piece handed over.
  std::string leftover() const {
    std::string text;
    for (const std::string& part : consoles_) text += part;
    return text + partial_;
  }

 private:
  void deliver() {
    while (!consoles_.empty() && !reports_.empty()) {
      take_(next_++, reports_.front().first, reports_.front().second, consoles_.front());
      consoles_.pop_front();
      reports_.pop_front();
    }
  }

  int next_;
  const std::function<void(int, int, std::string_view, std::string_view)>& take_;
  std::string stream_;
  std::string partial_;
  std::deque<std::string> consoles_;
  std::deque<std::pair<int, std::string>> reports_;
};

// Reads both pipes to their ends.
void drain(int reportFd, int consoleFd, RECEIVER& receiver) {
  pollfd fds[2] = {{consoleFd, POLLIN, 0}, {reportFd, POLLIN, 0}};
  int open = 2;
  std::vector<char> block(65536);
  while (open > 0) {
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (int k = 0; k < 2; ++k) {
      if (fds[k].fd < 0 || fds[k].revents == 0) continue;
      const ssize_t got = read(fds[k].fd, block.data(), block.size());
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) {
        close(fds[k].fd);
        fds[k].fd = -1;
        --open;
      } else if (k == 0) {
        receiver.console(block.data(), static_cast<std::size_t>(got));
      } else {
        receiver.reports(block.data(), static_cast<std::size_t>(got));
      }
    }
  }
  for (const pollfd& fd : fds) {
    if (fd.fd >= 0) close(fd.fd);
  }
}

void cannotStart(const char* what) {
  std::fprintf(stderr, "vyrcheck: cannot %s: %s\n", what, std::strerror(errno));
}

}  // namespace

int runIsolated(
    int first, int end, const std::function<int(int k, std::string& report)>& work,
    const std::function<void(int k, int status, std::string_view report, std::string_view console)>& take,
    CHILDEND& ending) {
  ending = CHILDEND{};
  int reportPipe[2];
  int consolePipe[2];
  if (pipe2(reportPipe, O_CLOEXEC) != 0) {
    cannotStart("create a pipe");
    return first;
  }
  if (pipe2(consolePipe, O_CLOEXEC) != 0) {
    cannotStart("create a pipe");
    close(reportPipe[0]);
    close(reportPipe[1]);
    return first;
  }
  std::fflush(stdout);
  std::fflush(stderr);
  const pid_t child = fork();
  if (child < 0) {
    cannotStart("start a check");
    for (const int fd : {reportPipe[0], reportPipe[1], consolePipe[0], consolePipe[1]}) close(fd);
    return first;
  }
  if (child == 0) {
    close(reportPipe[0]);
    close(consolePipe[0]);
    runChild(first, end, work, reportPipe[1], consolePipe[1]);
  }
  close(reportPipe[1]);
  close(consolePipe[1]);
  RECEIVER receiver(first, take);
  drain(reportPipe[0], consolePipe[0], receiver);
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) {
      cannotStart("wait for a check");
      return receiver.next();
    }
  }
  ending.started = 1;
  ending.exited = WIFEXITED(status) ? 1 : 0;
  ending.status = WIFEXITED(status) ? WEXITSTATUS(status) : 0;
  ending.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  ending.console = receiver.leftover();
  return receiver.next();
}

}  // namespace vyr
