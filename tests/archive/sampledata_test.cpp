// The sample game data packed by the build, checked through the built VyrSyn
// with the example orders: the clean file stays clean, the mistakes file gives
// the check lines kept beside it, and names of one world fail in another.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;

#if defined(VYR_VYRSYN)

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class SampleDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    scratch_ = fs::temp_directory_path() / ("vyr_sample_" + std::to_string(getpid()) + "_" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(scratch_);
    fs::create_directories(scratch_);
  }
  void TearDown() override { fs::remove_all(scratch_); }

  static fs::path example(const char* name) { return fs::path(VYR_SOURCE_DIR) / "examples" / name; }

  // Runs VyrSyn on the orders into a fresh output file; answers that file's bytes.
  std::string check(int game, const fs::path& orders) {
    const fs::path out = scratch_ / ("out" + std::to_string(++runs_) + ".txt");
    const std::string command = std::string("'") + VYR_VYRSYN + "' " + std::to_string(game) + " '" +
                                orders.string() + "' '" + out.string() + "' 2>/dev/null </dev/null";
    const int raw = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << command;
    return readFile(out);
  }

  fs::path scratch_;
  int runs_ = 0;
};

TEST_F(SampleDataTest, CleanOrdersDrawNothingInTheirWorld) {
  const std::string orders = readFile(example("orders-clean.txt"));
  for (const int game : {1, 2, 3}) {
    const std::string checked = check(game, example("orders-clean.txt"));
    ASSERT_FALSE(checked.empty());
    EXPECT_EQ(checked.find("#>"), std::string::npos) << checked;
    EXPECT_EQ(checked.find("#-"), std::string::npos) << checked;
  }
  // Game 7 is played in Thornvale, where the Ashmere names do not exist.
  EXPECT_EQ(check(7, example("orders-clean.txt")).rfind("#> Errors 9 Warnings 2\n", 0), 0u);
  // Game 5 is in no world: only names common to all worlds count.
  EXPECT_EQ(check(5, example("orders-clean.txt")).rfind("#> Errors 9 Warnings 3\n", 0), 0u);
}

TEST_F(SampleDataTest, MistakesGiveTheKeptCheckLines) {
  const std::string expected = readFile(example("orders-mistakes.checked.txt"));
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(check(1, example("orders-mistakes.txt")), expected);
  EXPECT_EQ(check(1, example("orders-mistakes.checked.txt")), expected);
}

#endif

}  // namespace
