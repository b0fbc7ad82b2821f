// runstat: runs one command and prints its wall time and peak resident memory.
//
//   runstat OUT COMMAND [ARG...]
//
// The command reads /dev/null, writes its standard output to the file OUT
// (created or emptied) and its standard error to /dev/null. runstat prints
// "WALL_SECONDS PEAK_KB CPU_SECONDS" (CPU: user and system time together) and
// exits with the command's status (127 when it cannot be started). The peak is the child's own: a process inherits the peak of the
// memory it was forked from, which is why the benchmark does not fork the
// commands from a large interpreter but from this small program.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: runstat OUT COMMAND [ARG...]\n", stderr);
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child < 0) return 127;
  if (child == 0) {
    const int in = open("/dev/null", O_RDONLY);
    const int out = open(argv[1], O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open("/dev/null", O_WRONLY);
    if (in < 0 || out < 0 || err < 0) _exit(127);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    execv(argv[2], argv + 2);
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) != child) return 127;
  const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
  const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  std::printf("%.6f %ld %.6f\n", wall.count(), usage.ru_maxrss, seconds(usage.ru_utime) + seconds(usage.ru_stime));
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}
