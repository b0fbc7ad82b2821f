// The request log never makes a request wait: with its file a pipe nobody
// reads, lines beyond its queue are dropped and counted, and what was kept
// comes out whole and in order once the pipe is read.
#include "vyrserve/accesslog.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
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

}  // namespace
}  // namespace vyr
