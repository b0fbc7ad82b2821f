#include "driver/args.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/console_capture.h"

namespace vyr {
namespace {

// Holds a scripted argument vector alive while the store points at it, and
// puts the store of before back afterwards so that no other test sees it.
class ArgsTest : public ::testing::Test {
 protected:
  ARGS fill(std::vector<std::string> texts) {
    texts_ = std::move(texts);
    vector_.clear();
    for (std::string& text : texts_) vector_.push_back(text.data());
    vector_.push_back(nullptr);
    return ARGS(static_cast<int>(texts_.size()), vector_.data());
  }
  void SetUp() override { saved_ = ARGS::resetForTesting(); }
  void TearDown() override { ARGS::resetForTesting(saved_); }

 private:
  ARGS::Store saved_{};
  std::vector<std::string> texts_;
  std::vector<char*> vector_;
};

TEST_F(ArgsTest, LookupsByPositionAnswerTheirCodes) {
  const ARGS args = fill({"prog", "7", "-x", "99999999999", "1.2.3", "+5", "-"});
  EXPECT_EQ(args.count(), 7);
  struct Case {
    int position;
    int intCode;
    int intValue;
    int floatCode;
  };
  const Case cases[] = {
      {0, -1, 0, -1},        {8, -1, 0, -1}, {2, 1, 7, 1},   {3, -2, 0, -2},
      {4, 1, 2147483647, 1}, {5, -2, 0, 1},  {6, -2, 0, -2}, {7, 1, 0, 1},
  };
  for (const Case& c : cases) {
    int value = 0;
    long longValue = 0;
    float floatValue = 0;
    EXPECT_EQ(args.getInt(c.position, &value), c.intCode) << c.position;
    EXPECT_EQ(value, c.intValue) << c.position;
    EXPECT_EQ(args.getLong(c.position, &longValue), c.intCode) << c.position;
    EXPECT_EQ(longValue, c.intValue) << c.position;
    EXPECT_EQ(args.getFloat(c.position, &floatValue), c.floatCode) << c.position;
  }
  float floatValue = 0;
  EXPECT_EQ(args.getFloat(5, &floatValue), 1);
  EXPECT_FLOAT_EQ(floatValue, 1.2f);
  std::string text;
  EXPECT_EQ(args.getString(3, &text), 1);
  EXPECT_EQ(text, "-x");
  EXPECT_EQ(args.getString(9, &text), -1);
  EXPECT_EQ(args.getString(2, nullptr), -3);
}

TEST_F(ArgsTest, OptionSearchAndTheValueAfterIt) {
  const ARGS args = fill({"prog", "7", "-x"});
  int position = 0;
  EXPECT_EQ(args.findOption("prog", 1, &position), 1);
  EXPECT_EQ(position, 1);
  EXPECT_EQ(args.findOption("-X", 1, &position), 0);
  EXPECT_EQ(args.findOption("-X", 0, &position), 1);
  EXPECT_EQ(position, 3);
  int value = 0;
  EXPECT_EQ(args.getIntAfter("-X", &value, 0), -4);
  EXPECT_EQ(args.getIntAfter("-X", &value, 1), -1);
  EXPECT_EQ(args.getIntAfter("PROG", &value, 2), 1);
  EXPECT_EQ(value, 7);
  long longValue = 0;
  EXPECT_EQ(args.getLongAfter("7", &longValue, 1), -2);
  float floatValue = 0;
  EXPECT_EQ(args.getFloatAfter("prog", &floatValue, 1), 1);
  EXPECT_FLOAT_EQ(floatValue, 7.0f);
  std::string text;
  EXPECT_EQ(args.getStringAfter("7", &text, 1), 1);
  EXPECT_EQ(text, "-x");
  EXPECT_EQ(ARGS().count(), 3);  // a second object reads the same store
}

TEST_F(ArgsTest, ProgramDirectory) {
  struct Case {
    const char* name;
    const char* directory;
  };
  const Case cases[] = {
      {"/usr/local/bin/checker", "/usr/local/bin/"}, {"./checker", "./"}, {"checker", ""}, {"/x", "/"}};
  for (const Case& c : cases) {
    const ARGS args = fill({c.name});
    std::string directory = "stale";
    EXPECT_EQ(args.programDirectory(directory), c.directory) << c.name;
  }
  const ARGS args = fill({"/bin/prog"});
  ARGS::resetForTesting();
  std::string directory = "stale";
  EXPECT_EQ(args.programDirectory(directory), "");  // no store check here
}

char** programOnly() {
  static char name[] = "prog";
  static char* vector[] = {name, nullptr};
  return vector;
}

TEST(ArgsDeathTest, LookupBeforeTheStoreIsFilledIsFatal) {
  const char* message = "Command Line Argument Haven't Been Assigned As Yet.";
  EXPECT_DEATH(
      {
        ARGS::resetForTesting();
        testing::emptyInputAndOutputToStderr();
        ARGS().count();
      },
      message);
  EXPECT_DEATH(
      {
        testing::emptyInputAndOutputToStderr();
        ARGS(2, nullptr);
      },
      message);
  EXPECT_DEATH(
      {
        testing::emptyInputAndOutputToStderr();
        ARGS(-1, programOnly());
      },
      message);
}

}  // namespace
}  // namespace vyr
