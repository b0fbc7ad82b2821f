// The driver's own text handling: reading standard input in pieces, deleting
// the check lines of an earlier run, dropping a byte-order mark.
#include "checker/ordersfile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace vyr {
namespace {

using Lines = std::vector<std::string>;

Lines linesOf(BUFFER& buffer) {
  Lines lines;
  for (int n = 1; n <= buffer.lineCount(); ++n) lines.push_back(buffer.lineString(n)->text());
  return lines;
}

void fill(BUFFER& buffer, const Lines& lines) {
  for (const std::string& line : lines) buffer.addLine(line);
}

Lines readThrough(const std::string& input) {
  std::FILE* stream = std::tmpfile();
  EXPECT_NE(stream, nullptr);
  std::fwrite(input.data(), 1, input.size(), stream);
  std::rewind(stream);
  BUFFER buffer;
  const int added = readOrderLines(stream, buffer);
  std::fclose(stream);
  EXPECT_EQ(added, buffer.lineCount());
  return linesOf(buffer);
}

TEST(DriverInput, StandardInputArrivesInPiecesOfAtMost29999Characters) {
  const std::string x29998(29998, 'x'), x29999(29999, 'x');
  struct Case {
    const char* what;
    std::string input;
    Lines lines;
  };
  const Case cases[] = {
      {"empty input", "", {}},
      {"final newline adds nothing", "A\nB\n", {"A", "B"}},
      {"last line without newline", "A\nB", {"A", "B"}},
      {"carriage returns stay", "A\r\nB\r\n", {"A\r", "B\r"}},
      {"empty lines", "A\n\nB\n\n", {"A", "", "B", ""}},
      {"a NUL ends the piece's text", std::string("a\0b\nc\n", 6), {"a", "c"}},
      {"full line and its newline", x29999 + "\nB\n", {x29999, "B"}},
      {"full line, then an empty line", x29999 + "\n\n", {x29999, ""}},
      {"newline inside the piece", x29998 + "\n\n", {x29998, ""}},
      {"one character over", x29999 + "x\n", {x29999, "x"}},
      {"two full pieces", x29999 + x29999 + "\n", {x29999, x29999}},
      {"long line at the end", x29999 + x29999 + "abc", {x29999, x29999, "abc"}},
  };
  for (const Case& c : cases) EXPECT_EQ(readThrough(c.input), c.lines) << c.what;
}

TEST(DriverCheckLines, DeletesLinesWhoseFirstWordIsHashToAngle) {
  BUFFER buffer;
  fill(buffer, {"#> Errors 2 Warnings 1", "#---> ERROR: Location Is Invalid.",
                "  #---> WARNING: leading blanks", "MOVE 1", "#note>", "#", "#-->x", "", "\t#>\ttabbed",
                "# > apart", ">#", "; #---> in a comment", "#>"});
  EXPECT_EQ(deleteCheckLines(buffer), 6);
  EXPECT_EQ(linesOf(buffer), (Lines{"MOVE 1", "#", "#-->x", "", "# > apart", ">#", "; #---> in a comment"}));
}

TEST(DriverInput, DropsAByteOrderMarkAtTheVeryStartOnly) {
  struct Case {
    Lines lines;
    int dropped;
    Lines after;
  };
  const Case cases[] = {
      {{"\xEF\xBB\xBFMOVE 1", "\xEF\xBB\xBFSTAY"}, 1, {"MOVE 1", "\xEF\xBB\xBFSTAY"}},
      {{"\xEF\xBB\xBF"}, 1, {""}},
      {{" \xEF\xBB\xBFMOVE"}, 0, {" \xEF\xBB\xBFMOVE"}},
      {{"\xEF\xBB"}, 0, {"\xEF\xBB"}},
      {{}, 0, {}},
  };
  for (const Case& c : cases) {
    BUFFER buffer;
    fill(buffer, c.lines);
    EXPECT_EQ(dropByteOrderMark(buffer), c.dropped);
    EXPECT_EQ(linesOf(buffer), c.after);
  }
}

// An orders file loaded in one go gives what loading it, dropping the mark and
// deleting the check lines give one after the other, and counts every line read.
TEST(DriverInput, LoadingAFileLeavesOutTheCheckLinesAsTheDeletionWould) {
  const std::string bom = "\xEF\xBB\xBF";
  const struct {
    const char* what;
    std::string file;
    int read;
  } cases[] = {
      {"orders and check lines", "#> Errors 1 Warnings 0\nMOVE 1\n#---> ERROR: x\r\n  #>;glued\n#note>\n", 5},
      {"a mark before an order", bom + "MOVE 1\n" + bom + "STAY\n", 2},
      {"a mark before a check line, another mark after it", bom + "#> Errors 1\n" + bom + "MOVE 1\n", 2},
      {"a mark before an order after a check line", "#> x\n" + bom + "MOVE\n", 2},
      {"only check lines", "#>\n#--> a\n", 2},
      {"a mark alone", bom, 1},
      {"NUL bytes and no final newline", std::string("#>\0x\nMO\0VE\n#x>y", 14), 3},
      {"empty", "", 0},
  };
  const auto path = std::filesystem::temp_directory_path() / "vyr_driver_load_test.txt";
  for (const auto& c : cases) {
    std::ofstream(path, std::ios::binary) << c.file;
    BUFFER expected;
    expected.loadBuffer(path.string(), 0, 0);
    dropByteOrderMark(expected);
    deleteCheckLines(expected);
    BUFFER loaded;
    loaded.addLine("left from before");
    EXPECT_EQ(loadOrdersFile(path.string(), loaded), c.read) << c.what;
    EXPECT_EQ(linesOf(loaded), linesOf(expected)) << c.what;
  }
  std::filesystem::remove(path);
  BUFFER none;
  EXPECT_EQ(loadOrdersFile(path.string(), none), 0);
}

}  // namespace
}  // namespace vyr
