#include "text/utils.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "text/console_capture.h"

namespace vyr {
namespace {

TEST(UtilsTest, CompareNoCaseAnswersSignedPositions) {
  struct Case {
    const char* a;
    const char* b;
    int expected;
  };
  const Case cases[] = {
      {"abc", "ABC", 0}, {"abc", "abd", -3}, {"abcd", "abc", 4},    {"", "", 0},
      {"", "a", -1},     {"b", "A", 1},      {"Shire", "SHIRE", 0}, {"ab", "abc", -3},
  };
  for (const Case& c : cases) EXPECT_EQ(compareNoCase(c.a, c.b), c.expected) << c.a << " / " << c.b;
  EXPECT_EQ(compareNoCaseN("ABCx", "abcY", 3), 0);
  EXPECT_EQ(compareNoCaseN("ab", "abc", 3), -3);
}

TEST(UtilsTest, NumberFormsAndYesNoAnswers) {
  struct Form {
    const char* text;
    int integer;
    int real;
  };
  const Form forms[] = {
      {"-", 1, 1},  {"", 0, 0},  {"-12", 1, 1},   {"007", 1, 1}, {"+5", 0, 0}, {"5a", 0, 0},  {"1.0", 0, 1},
      {".5", 0, 1}, {".", 0, 1}, {"1.2.3", 0, 1}, {"1e5", 0, 0}, {" 5", 0, 0}, {"--1", 0, 0}, {"-1.5", 0, 1},
  };
  for (const Form& f : forms) {
    EXPECT_EQ(isInteger(f.text), f.integer) << '"' << f.text << '"';
    EXPECT_EQ(isReal(f.text), f.real) << '"' << f.text << '"';
  }
  struct Answer {
    const char* text;
    int expected;
  };
  const Answer answers[] = {
      {"y", 1},    {"Y", 1},  {"n", 0}, {"No", 0},  {"yes", 1},    {"YES", 1},
      {"yep", -1}, {"x", -1}, {"", -2}, {" y", -1}, {nullptr, -1},
  };
  for (const Answer& a : answers) EXPECT_EQ(parseYesNo(a.text), a.expected) << (a.text ? a.text : "(none)");
}

TEST(UtilsTest, TrimmingAndWordStarts) {
  struct Case {
    std::string text;
    std::string trimmed;
  };
  const Case cases[] = {
      {"  a b \t", "a b"},
      {"   ", ""},
      {"", ""},
      {"x", "x"},
      {"\n\tx y\r\n", "x y"},
      {std::string(12000, ' ') + std::string(15000, 'z') + "  ", std::string(15000, 'z')},
  };
  for (const Case& c : cases) {
    std::string text = c.text;
    EXPECT_EQ(trimText(text), c.trimmed);
    std::string copy = "old";
    EXPECT_EQ(trimCopy(copy, c.text), c.trimmed);
  }
  EXPECT_EQ(wordStart(" one\ttwo", 2), 5u);
  EXPECT_EQ(spaceWordStart(" one\ttwo x", 2), 9u);  // the tab does not separate
}

TEST(UtilsTest, WrapTextBreaksAtWidth) {
  struct Case {
    const char* text;
    int indent;
    int width;
    int first;
    const char* expected;
  };
  const Case cases[] = {
      {"Warning: Game Number Specified Invalid. Using data that is common to all worlds of Vyr. \n ", 2, 70,
       0, "Warning: Game Number Specified Invalid. Using data that is common to \n  all worlds of Vyr. \n  "},
      {"aa bb cc", 2, 8, 1, "  aa bb \n  cc "},
      {"toolongword x", 2, 6, 0, "\n  toolongword \n  x "},
      {"end\n next", 0, 20, 0, "end\nnext "},
      {"a \nb", 1, 20, 0, "a \n b "},
      {"", 3, 10, 1, "   "},
  };
  for (const Case& c : cases) {
    std::string out = "stale";
    EXPECT_EQ(wrapText(out, c.text, c.indent, c.width, c.first), c.expected) << c.text;
  }
}

TEST(UtilsTest, NumberReadingsClampAndFollowTheStandardConversions) {
  struct IntCase {
    const char* text;
    int expected;
  };
  const IntCase ints[] = {
      {"42", 42},
      {"  -17x", -17},
      {"+8", 8},
      {"abc", 0},
      {"-", 0},
      {"", 0},
      {"0x1A", 0},
      {"2147483647", 2147483647},
      {"99999999999", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"-99999999999", -2147483647 - 1},
      {"000000000000000000000000012", 12},
  };
  for (const IntCase& c : ints) {
    EXPECT_EQ(readInt(c.text), c.expected) << c.text;
    EXPECT_EQ(readLong(c.text), static_cast<long>(c.expected)) << c.text;
  }
  struct RealCase {
    const char* text;
    double expected;
  };
  const RealCase reals[] = {{"1.5", 1.5},       {"0x1A", 26.0}, {"1e3", 1000.0},
                            {" -2.25z", -2.25}, {"1.2.3", 1.2}, {"junk", 0.0}};
  for (const RealCase& c : reals) EXPECT_DOUBLE_EQ(readDouble(c.text), c.expected) << c.text;
  EXPECT_TRUE(std::isnan(readDouble("nan")));
  EXPECT_TRUE(std::isinf(readDouble("inf")));
  EXPECT_DOUBLE_EQ(readDouble(std::string(500, '0') + "3.5"), 3.5);
  EXPECT_DOUBLE_EQ(readDouble(std::string_view("7.5\0"
                                               "9",
                                               5)),
                   7.5);
}

TEST(UtilsTest, FillsPathsAndSuffixes) {
  std::string d;
  EXPECT_EQ(fillChars(d, '-', 0), "");
  EXPECT_EQ(fillChars(d, '-', 3), "---");
  EXPECT_EQ(joinPath(d, "a"), "/a");
  EXPECT_EQ(joinPath(d), "");
  EXPECT_EQ(joinPath(d, "data/repository/Vyr", "System", "vyrsyn.dat"),
            "/data/repository/Vyr/System/vyrsyn.dat");
  EXPECT_EQ(joinPath(d, nullptr, "b", nullptr, "d"), "/b/d");
  const int numbers[] = {1, 2, 3, 4, 11, 12, 13, 21, 111, 112, 0, 102};
  const char* suffixes[] = {"st", "nd", "rd", "th", "th", "th", "th", "st", "th", "th", "th", "nd"};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(ordinalSuffix(d, numbers[i]), suffixes[i]) << numbers[i];
}

TEST(UtilsTest, FileAndPathTests) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("vyr_utils_" + std::to_string(getpid()));
  fs::create_directories(dir);
  const std::string plain = (dir / "plain.txt").string();
  const std::string locked = (dir / "locked.txt").string();
  const std::string dangling = (dir / "dangling").string();
  const std::string missing = (dir / "missing").string();
  std::ofstream(plain) << "hello\n";
  std::ofstream(locked) << "x";
  chmod(locked.c_str(), 0);
  fs::create_symlink(missing, dangling);

  EXPECT_EQ(fileExists(plain), 1);
  EXPECT_EQ(fileExists(missing), 0);
  EXPECT_EQ(fileExists(dangling), 0);
  if (geteuid() != 0) {
    EXPECT_EQ(fileExists(locked), 0);
  }
  for (const std::string& p : {plain, locked, dangling, dir.string()}) EXPECT_EQ(pathExists(p), 1) << p;
  EXPECT_EQ(pathExists(missing), 0);
  fs::remove_all(dir);
}

TEST(UtilsDeathTest, FatalErrorReportsWaitsAndAborts) {
  EXPECT_EXIT(
      {
        testing::emptyInputAndOutputToStderr();
        fatalError("Unable to open the archive.");
      },
      ::testing::KilledBySignal(SIGABRT), "^\nUnable to open the archive.\nPress ENTER to Continue! $");
}

}  // namespace
}  // namespace vyr
