// The request log never makes a request wait: with its file a pipe nobody
// reads, lines beyond its queue are dropped and counted, and what was kept
// comes out whole and in order once the pipe is read. A log file is opened
// again only when asked (a rotation), whatever descriptor it got.
#include "vyrserve/accesslog.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace vyr {
namespace {

namespace fs = std::filesystem;

TEST(VyrserveAccessLog, DropsAndCountsWhatAStuckWriterCannotTake) {
  const fs::path fifo = fs::temp_directory_path() / ("vyrserve-fifo-" + std::to_string(::getpid()));
  fs::remove(fifo);
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);  // there, but reading nothing yet
  ASSERT_GE(reader, 0);
  std::uint64_t dropped = 0;
  std::string drained;
  std::thread drain;
  {
    ACCESSLOG log(fifo.string(), 4096);
    std::string fault;
    ASSERT_EQ(log.open(fault), 1) << fault;
    const std::string line(99, 'x');
    for (int n = 0; n < 5000; ++n) log.write(std::to_string(n % 10) + line);  // 500 kB, far past the pipe
    dropped = log.dropped();
    EXPECT_GT(dropped, 0u);
    ::fcntl(reader, F_SETFL, 0);
    drain = std::thread([&] {  // until the log's end closes its end of the pipe
      char piece[65536];
      for (ssize_t got; (got = ::read(reader, piece, sizeof piece)) > 0;)
        drained.append(piece, static_cast<std::size_t>(got));
    });
  }  // the log's end writes what it kept
  drain.join();
  EXPECT_EQ(drained.substr(0, 102), "0" + std::string(99, 'x') + "\n1");  // whole lines, no lead in a file
  EXPECT_EQ(drained.size(), (5000 - dropped) * 101);
  for (std::size_t end = 100; end < drained.size(); end += 101) ASSERT_EQ(drained[end], '\n') << end;
  ::close(reader);
  fs::remove(fifo);
}

std::string fileText(const fs::path& path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Waits until the file holds `text`, woken by each write to it (a minute at
// most against a hang).
bool waitForText(const fs::path& file, const std::string& text) {
  const int watch = ::inotify_init1(IN_CLOEXEC);
  if (watch < 0 || ::inotify_add_watch(watch, file.c_str(), IN_MODIFY) < 0) return false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  bool found = fileText(file) == text;
  while (!found && std::chrono::steady_clock::now() < deadline) {
    pollfd written{watch, POLLIN, 0};
    if (::poll(&written, 1, 60000) > 0) {
      std::array<char, 4096> events{};
      if (::read(watch, events.data(), events.size()) < 0) break;
    }
    found = fileText(file) == text;
  }
  ::close(watch);
  return found;
}

TEST(VyrserveAccessLog, ReopensItsFileOnlyWhenAskedOnAnyDescriptor) {
  const fs::path file = fs::temp_directory_path() / ("vyrserve-reopen-" + std::to_string(::getpid()));
  const fs::path moved = file.string() + ".1";
  fs::remove(file);
  fs::remove(moved);
  const int input = ::dup(0);  // a server started with standard input closed opens its log as descriptor 0
  ASSERT_GE(input, 0);
  ::close(0);
  {
    ACCESSLOG log(file.string());
    std::string fault;
    const int opened = log.open(fault);
    EXPECT_EQ(opened, 1) << fault;
    log.write("one");
    log.reopen();
    log.write("two");
    // The writer has taken the reopening once "two" is in the file.
    if (opened == 1) {
      EXPECT_TRUE(waitForText(file, "one\ntwo\n"));
    }
    fs::rename(file, moved);  // moved away without a reopening: the lines follow the file
    log.write("three");
  }
  ::dup2(input, 0);
  ::close(input);
  EXPECT_EQ(fileText(moved), "one\ntwo\nthree\n");
  EXPECT_FALSE(fs::exists(file));
  fs::remove(file);
  fs::remove(moved);
}

}  // namespace
}  // namespace vyr
