#include "vyrserve/accesslog.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vyr {

namespace {

int openForAppending(const std::string& path) {
  return ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0640);
}

}  // namespace

ACCESSLOG::ACCESSLOG(std::string path, std::size_t queueBytes)
    : path_(std::move(path)), lead_(path_.empty() ? "vyrserve: " : ""), queueBytes_(queueBytes) {}

ACCESSLOG::~ACCESSLOG() {
  {
    const std::lock_guard<std::mutex> guard(mutex_);
    ending_ = true;
  }
  wake_.notify_one();
  if (writer_.joinable()) writer_.join();
  if (fd_ > 2) ::close(fd_);
}

int ACCESSLOG::open(std::string& fault) {
  if (!path_.empty()) {
    fd_ = openForAppending(path_);
    if (fd_ < 0) {
      fault = path_ + ": " + std::strerror(errno);
      return 0;
    }
  }
  writer_ = std::thread([this] { run(); });
  return 1;
}

void ACCESSLOG::write(std::string_view line) {
  {
    const std::lock_guard<std::mutex> guard(mutex_);
    if (queued_.size() + lead_.size() + line.size() + 1 > queueBytes_) {
      dropped_.fetch_add(1, std::memory_order_relaxed);
      return;
    }
    queued_ += lead_;
    queued_ += line;
    queued_ += '\n';
  }
  wake_.notify_one();
}

void ACCESSLOG::reopen() {
  {
    const std::lock_guard<std::mutex> guard(mutex_);
    reopen_ = true;
  }
  wake_.notify_one();
}

void ACCESSLOG::run() {
  std::string text;
  for (;;) {
    bool again = false;
    bool last = false;
    {
      std::unique_lock<std::mutex> guard(mutex_);
      wake_.wait(guard, [this] { return ending_ || reopen_ || !queued_.empty(); });
      text.swap(queued_);
      queued_.clear();
      again = reopen_;
      reopen_ = false;
      last = ending_;
    }
    if (again && !path_.empty()) {
      const int fresh = openForAppending(path_);
      if (fresh >= 0) {  // else the old file stays
        ::close(fd_);
        fd_ = fresh;
      }
    }
    writeOut(text);
    text.clear();
    if (last) {
      const std::lock_guard<std::mutex> guard(mutex_);
      if (queued_.empty()) return;
    }
  }
}

void ACCESSLOG::writeOut(const std::string& text) {
  for (std::size_t done = 0; done < text.size();) {
    const ssize_t wrote = ::write(fd_, text.data() + done, text.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return;  // a log that cannot be written loses the lines, not the server
    done += static_cast<std::size_t>(wrote);
  }
}

}  // namespace vyr
