// Test helper: runs console code against a scripted standard input and
// captures what it writes on standard output. Both streams are moved onto
// temporary files at the descriptor level and restored when the session ends.
#pragma once

#include <stdio_ext.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace vyr::testing {

class ConsoleSession {
 public:
  explicit ConsoleSession(const std::string& input) {
    std::fflush(stdout);
    savedIn_ = dup(0);
    savedOut_ = dup(1);
    in_ = std::tmpfile();
    out_ = std::tmpfile();
    std::fwrite(input.data(), 1, input.size(), in_);
    std::rewind(in_);  // the descriptor's offset, shared with fd 0 below
    dup2(fileno(in_), 0);
    dup2(fileno(out_), 1);
    // Drop whatever stdin had buffered from an earlier source.
    __fpurge(stdin);
    std::clearerr(stdin);
  }
  ConsoleSession(const ConsoleSession&) = delete;
  ConsoleSession& operator=(const ConsoleSession&) = delete;
  ~ConsoleSession() { finish(); }

  // Restores both streams and answers everything written on standard output.
  std::string finish() {
    if (in_ == nullptr) return output_;
    std::fflush(stdout);
    __fpurge(stdin);  // unread input of this session must not leak out
    dup2(savedIn_, 0);
    dup2(savedOut_, 1);
    close(savedIn_);
    close(savedOut_);
    std::clearerr(stdin);
    std::rewind(out_);
    char block[4096];
    std::size_t got;
    while ((got = std::fread(block, 1, sizeof block, out_)) > 0) output_.append(block, got);
    std::fclose(in_);
    std::fclose(out_);
    in_ = out_ = nullptr;
    return output_;
  }

 private:
  int savedIn_ = -1;
  int savedOut_ = -1;
  std::FILE* in_ = nullptr;
  std::FILE* out_ = nullptr;
  std::string output_;
};

// For death tests: standard input at its end, standard output sent to standard
// error so that EXPECT_DEATH can match the message.
inline void emptyInputAndOutputToStderr() {
  std::FILE* ignored = std::freopen("/dev/null", "r", stdin);
  (void)ignored;
  dup2(2, 1);
}

}  // namespace vyr::testing
