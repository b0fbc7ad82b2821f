#include "text/console.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "text/console_capture.h"

namespace vyr {
namespace {

TEST(ConsoleTest, PromptIntAndLongAskUntilANumberComes) {
  struct Case {
    const char* question;
    int defaultValue;
    const char* input;
    const char* shown;
    int expected;
  };
  const Case cases[] = {
      {"Count", 5, "\n", "Count (5) : ", 5},
      {"Count", 5, "12abc\n", "Count (5) : ", 12},
      {"Count", 5, "abc\n -3\n", "Count (5) : Count (5) : ", -3},
      {"Count", 5, "", "Count (5) : ", 5},
      {nullptr, kNoIntDefault, "\n+7\n", "Enter Value:- Enter Value:- ", 7},
      {"Big", kNoIntDefault, "99999999999\n", "Big : ", 2147483647},
  };
  for (const Case& c : cases) {
    testing::ConsoleSession session(c.input);
    const int got = promptInt(c.question, c.defaultValue);
    EXPECT_EQ(session.finish(), c.shown) << c.input;
    EXPECT_EQ(got, c.expected) << c.input;
  }
  testing::ConsoleSession session("x\n-40\n");
  EXPECT_EQ(promptLong("Gold", 100L), -40L);
  EXPECT_EQ(session.finish(), "Gold (100) : Gold (100) : ");
}

TEST(ConsoleTest, PromptFloatYesNoAndText) {
  {
    testing::ConsoleSession session("\n");
    EXPECT_FLOAT_EQ(promptFloat("Rate", 1.5f), 1.5f);
    EXPECT_EQ(session.finish(), "Rate (1.500) : ");
  }
  {
    testing::ConsoleSession session("no\n2.25\n");
    EXPECT_FLOAT_EQ(promptFloat(nullptr, kNoFloatDefault), 2.25f);
    EXPECT_EQ(session.finish(), "Enter Value:- Enter Value:- ");
  }
  struct YesNo {
    int defaultValue;
    const char* input;
    const char* shown;
    int expected;
  };
  const YesNo yesNo[] = {
      {0, "y\n", "Continue (Yes/No) No ? ", 1},
      {0, "\n", "Continue (Yes/No) No ? ", 0},
      {1, "maybe\nNO\n", "Continue (Yes/No) Yes ? Continue (Yes/No) Yes ? ", 0},
      {1, "", "Continue (Yes/No) Yes ? ", 1},
  };
  for (const YesNo& c : yesNo) {
    testing::ConsoleSession session(c.input);
    EXPECT_EQ(promptYesNo("Continue", c.defaultValue), c.expected) << c.input;
    EXPECT_EQ(session.finish(), c.shown) << c.input;
  }
  struct Text {
    const char* question;
    const char* defaultValue;
    const char* input;
    const char* shown;
    const char* expected;
  };
  const Text texts[] = {
      {"Name", "Bob", "\n", "Name (Bob) : ", "Bob"},
      {"Name", "Bob", "Ann\n", "Name (Bob) : ", "Ann"},
      {nullptr, nullptr, "\nAnn\n", "Enter Data : Must Input Data Try Again.\nEnter Data : ", "Ann"},
      {"Name", "Bob", "", "Name (Bob) : ", "Bob"},
  };
  for (const Text& c : texts) {
    std::string answer = "stale";
    testing::ConsoleSession session(c.input);
    EXPECT_EQ(promptText(answer, c.question, c.defaultValue), c.expected) << c.input;
    EXPECT_EQ(session.finish(), c.shown) << c.input;
  }
}

TEST(ConsoleDeathTest, EndOfInputWithoutDefaultIsFatal) {
  const char* message = "End of input while waiting for an answer.";
  EXPECT_DEATH(
      {
        testing::emptyInputAndOutputToStderr();
        promptInt("Count", kNoIntDefault);
      },
      message);
  EXPECT_DEATH(
      {
        testing::emptyInputAndOutputToStderr();
        promptFloat(nullptr, kNoFloatDefault);
      },
      message);
  std::string answer;
  EXPECT_DEATH(
      {
        testing::emptyInputAndOutputToStderr();
        promptText(answer, "Name", nullptr);
      },
      message);
}

TEST(ConsoleTest, PageFileAndShowFile) {
  namespace fs = std::filesystem;
  const std::string path = (fs::temp_directory_path() / ("vyr_page_" + std::to_string(getpid()))).string();
  std::string lines;
  for (int i = 1; i <= 30; ++i) lines += "line " + std::to_string(i) + "\n";
  std::ofstream(path) << lines;

  std::string first23, last7;
  for (int i = 1; i <= 23; ++i) first23 += "line " + std::to_string(i) + "\n";
  for (int i = 24; i <= 30; ++i) last7 += "line " + std::to_string(i) + "\n";
  testing::ConsoleSession session("\n\n");
  pageFile(path);
  EXPECT_EQ(session.finish(),
            first23 + "*** MORE *** (Press Enter For Next Page) Viewing (" + path +
                ")Press ENTER to Continue! " + last7 +
                "*** FINISHED *** (Press Enter to Return to Program) \nPress ENTER to Continue! ");

  testing::ConsoleSession missing("");
  pageFile(path + ".none");
  EXPECT_EQ(missing.finish(), "Unable to open " + path + ".none.  (Check Filename).\n");

  std::FILE* out = std::tmpfile();
  EXPECT_EQ(showFile(nullptr, path), 0);
  EXPECT_EQ(showFile(out, path + ".none"), 0);
  const std::string format = (fs::temp_directory_path() / "vyr_page_%d").string();
  EXPECT_EQ(showFileFormatted(out, format.c_str(), getpid()), 1);
  EXPECT_EQ(std::ftell(out), static_cast<long>(lines.size()));
  std::fclose(out);
  std::remove(path.c_str());
}

}  // namespace
}  // namespace vyr
