// Runs the built VyrSyn on orders too large to keep as end-to-end cases:
// lines of a million characters or fields, a "." slot repeated over 100,000
// fields, a hundred thousand lines, megabytes of noise. Each run must finish
// well inside its time limit (a run that is not linear in its input would not)
// and give exactly the output the rules prescribe.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;

#if defined(VYR_VYRSYN)

// Far above what a linear run needs even with the sanitizers, far below what a
// quadratic one would take on these sizes.
constexpr int kTimeLimitSeconds = 60;

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string repeat(const std::string& text, int times) {
  std::string out;
  out.reserve(text.size() * static_cast<std::size_t>(times));
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

// Where two long texts part, for a readable failure instead of megabytes.
std::string firstDifference(const std::string& actual, const std::string& expected) {
  std::size_t at = 0;
  while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
  if (at == actual.size() && at == expected.size()) return "";
  return "sizes " + std::to_string(actual.size()) + " and " + std::to_string(expected.size()) +
         ", first difference at byte " + std::to_string(at) + ": actual '" + actual.substr(at, 60) +
         "', expected '" + expected.substr(at, 60) + "'";
}

struct CheckRun {
  int status;
  double seconds;
  std::string out;
};

class HostileOrders : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("vyr_hostile_" + std::to_string(getpid()) + "_" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Checks `orders` for game 1, read from a file or from standard input, with
  // the output on standard output.
  CheckRun check(const std::string& orders, bool fromStdin = false) const {
    writeFile(dir_ / "in.txt", orders);
    const std::string in = (dir_ / "in.txt").string();
    const std::string command = "timeout " + std::to_string(kTimeLimitSeconds) + " '" + VYR_VYRSYN + "' 1 " +
                                (fromStdin ? "<'" + in + "'" : "'" + in + "' </dev/null") + " >'" +
                                (dir_ / "out.txt").string() + "' 2>/dev/null";
    const auto start = std::chrono::steady_clock::now();
    const int raw = std::system(command.c_str());
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    return CheckRun{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, took.count(), readFile(dir_ / "out.txt")};
  }

  fs::path dir_;
};

TEST_F(HostileOrders, HugeLinesAndFieldCountsGiveTheirOutputInTime) {
  const std::string million(1000000, 'X');
  const std::string fields100k = repeat(" a", 100000);
  const std::string route100k = repeat(" 12,3", 100000);
  const struct {
    const char* what;
    std::string orders;
    std::string expected;
  } cases[] = {
      {"a comment of 1,000,000 characters", "; " + million + "\n", "  ; " + million + "\n"},
      {"a command of 1,000,000 characters", million + "\n",
       "#> Errors 1 Warnings 0\n  " + million + "\n#> ERROR: Unrecognized Command.\n"},
      {"free text of 1,000,000 fields", "NOTE" + repeat(" a", 1000000) + "\n",
       "  NOTE" + repeat(" a", 1000000) + "\n"},
      {"a comment of 100,000 fields", ";" + fields100k + "\n", "  ;" + fields100k + "\n"},
      {"a '.' slot over 100,000 good fields", "SHIRE 12,3\nROUTE" + route100k + "\n",
       "  SHIRE 12,3\n  ROUTE" + route100k + "\n"},
      {"a '.' slot over 100,000 fields, the last one bad", "SHIRE 12,3\nROUTE" + route100k + " 12,9\n",
       "#> Errors 1 Warnings 0\n  SHIRE 12,3\n  ROUTE" + route100k + " 12,9\n#" +
           std::string(6 + route100k.size(), '-') + "> ERROR: Location Is Invalid.\n"},
      {"a '.' slot over 100,000 fields ended by a comment",
       "SHIRE 12,3\nROUTE" + route100k + " ;" + fields100k + "\n",
       "  SHIRE 12,3\n  ROUTE" + route100k + " ;" + fields100k + "\n"},
      {"an unterminated quote over 100,000 fields", "NOTE \"" + fields100k + "\n",
       "  NOTE \"" + fields100k + "\n"},
      {"a number of 1,000,000 digits", "SURVEY " + std::string(1000000, '9') + "\n",
       "#> Errors 1 Warnings 0\n  SURVEY " + std::string(1000000, '9') +
           "\n#-------> ERROR: Invalid Region Number Specified.\n"},
      {"100,000 order lines", repeat("SURVEY 12\n", 100000), repeat("  SURVEY 12\n", 100000)},
      {"100,000 check lines and nothing else", repeat("#---> ERROR: Location Is Invalid.\n", 100000), ""},
      {"100,000 check lines between the orders",
       repeat("SURVEY 12\n#> Errors 1 Warnings 0\n#---> x\n", 100000), repeat("  SURVEY 12\n", 100000)},
  };
  for (const auto& c : cases) {
    const CheckRun run = check(c.orders);
    EXPECT_EQ(run.status, 0) << c.what;
    EXPECT_EQ(firstDifference(run.out, c.expected), "") << c.what;
    EXPECT_LT(run.seconds, kTimeLimitSeconds) << c.what;
  }
}

// Standard input is read in pieces of at most 29,999 characters: a longer
// line arrives as several lines, each checked on its own.
TEST_F(HostileOrders, AMillionCharacterLineOnStandardInputArrivesInPieces) {
  const std::string line = "; " + std::string(999998, 'x');
  std::string expected = "#> Errors 33 Warnings 0\n";
  for (std::size_t at = 0; at < line.size(); at += 29999) {
    expected += "  " + line.substr(at, 29999) + "\n";
    if (at > 0) expected += "#> ERROR: Unrecognized Command.\n";
  }
  const CheckRun run = check(line + "\n", true);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(firstDifference(run.out, expected), "");
}

// Megabytes of noise (every byte value, NULs and lone carriage returns
// included) are checked, and checking the output again gives it unchanged.
TEST_F(HostileOrders, NoiseIsCheckedAndTheOutputIsStable) {
  std::string noise;
  std::uint32_t state = 12345;
  for (int i = 0; i < (1 << 20); ++i) {
    state = state * 1103515245u + 12345u;
    const auto byte = static_cast<char>(state >> 23);
    noise += (i % 61 == 60) ? '\n' : byte;
  }
  const CheckRun first = check(noise);
  ASSERT_EQ(first.status, 0);
  EXPECT_NE(first.out, "");
  EXPECT_EQ(first.out.find('\0'), std::string::npos);
  const CheckRun again = check(first.out);
  EXPECT_EQ(again.status, 0);
  EXPECT_EQ(firstDifference(again.out, first.out), "");
}

// A line of 100,000 faulty fields: every check line is as long as its field's
// column, so only the first 100 faults of a line are reported (some 10^10
// bytes of output otherwise). The same holds for a repeated slot.
TEST_F(HostileOrders, ALineOf100000FaultyFieldsReportsItsFirst100) {
  const auto marks = [](std::size_t column, std::size_t step, const char* message) {
    std::string lines;
    for (std::size_t i = 0; i < 100; ++i) {
      lines += "#" + std::string(column + i * step, '-') + "> " + message + "\n";
    }
    return lines;
  };
  const struct {
    const char* what;
    std::string orders;
    std::string expected;
  } cases[] = {
      {"surplus fields", "PASSWORD abcd" + repeat(" a", 100000) + "\n",
       "#> Errors 0 Warnings 100\n  PASSWORD abcd" + repeat(" a", 100000) + "\n" +
           marks(14, 2, "WARNING: Extra Parameter Supplied.")},
      {"a '.' slot over bad fields", "SHIRE 12,3\nROUTE" + repeat(" 12,9", 100000) + "\n",
       "#> Errors 100 Warnings 0\n  SHIRE 12,3\n  ROUTE" + repeat(" 12,9", 100000) + "\n" +
           marks(6, 5, "ERROR: Location Is Invalid.")},
  };
  for (const auto& c : cases) {
    const CheckRun run = check(c.orders);
    EXPECT_EQ(run.status, 0) << c.what;
    EXPECT_EQ(firstDifference(run.out, c.expected), "") << c.what;
    EXPECT_LT(run.seconds, kTimeLimitSeconds) << c.what;
  }
}

#endif

}  // namespace
