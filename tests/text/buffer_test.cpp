#include "text/buffer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace vyr {
namespace {

using Lines = std::vector<std::string>;

Lines linesOf(BUFFER& buffer) {
  Lines lines;
  std::string text;
  for (int i = 1; i <= buffer.lineCount(); ++i) lines.push_back(*buffer.getLine(text, i));
  return lines;
}

std::vector<int> keysOf(BUFFER& buffer) {
  std::vector<int> keys;
  for (int i = 1; i <= buffer.lineCount(); ++i) keys.push_back(buffer.get(i)->key());
  return keys;
}

void fill(BUFFER& buffer, const Lines& lines) {
  buffer.clearBuffer();
  for (const std::string& line : lines) buffer.addLine(line);
}

// A file under the test's temporary directory, removed afterwards.
class TempFile {
 public:
  explicit TempFile(const std::string& name) : path_(::testing::TempDir() + "vyr_buffer_" + name) {
    std::remove(path_.c_str());
  }
  ~TempFile() { std::remove(path_.c_str()); }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  [[nodiscard]] const std::string& path() const { return path_; }
  void write(const std::string& bytes) const { std::ofstream(path_, std::ios::binary) << bytes; }
  [[nodiscard]] std::string read() const {
    std::ostringstream bytes;
    bytes << std::ifstream(path_, std::ios::binary).rdbuf();
    return bytes.str();
  }

 private:
  std::string path_;
};

TEST(BufferFileTest, LoadsLinesByteForByte) {
  struct Case {
    std::string bytes;
    int trim;
    Lines lines;
  };
  const std::vector<Case> cases = {
      {"A\nB\n", 0, {"A", "B"}},
      {"A\nB", 0, {"A", "B"}},
      {"A\n\nB\n", 0, {"A", "", "B"}},
      {"A\r\nB\r\n", 0, {"A", "B"}},
      {"A\r\r\n", 0, {"A\r"}},
      {std::string("ab\0cd\nE\n", 8), 0, {"ab", "E"}},
      {std::string("x\r\0y\r\n", 6), 0, {"x"}},
      {"", 0, {}},
      {"\n", 0, {""}},
      {"  a b \t\r\n\t\n", 1, {"a b", ""}},
      {"  a b \t\n", 0, {"  a b \t"}},
  };
  TempFile file("load");
  BUFFER buffer;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    file.write(c.bytes);
    buffer.addLine("left over");
    EXPECT_EQ(buffer.loadBuffer(file.path(), 0, c.trim), static_cast<int>(c.lines.size()));
    EXPECT_EQ(linesOf(buffer), c.lines);
  }
}

TEST(BufferFileTest, LoadsLongLinesAsOneLineAndAppendsKeys) {
  TempFile file("long");
  const std::string longLine(100000, 'v');
  file.write("a\n" + longLine + "\nz");
  BUFFER buffer;
  ASSERT_EQ(buffer.loadBuffer(file.path(), 0, 0), 3);
  EXPECT_EQ(linesOf(buffer), (Lines{"a", longLine, "z"}));

  // Appending continues after the last key.
  fill(buffer, {"1", "2", "3", "4", "5", "6", "7"});
  buffer.deleteLines(1, 4);
  EXPECT_EQ(buffer.loadBuffer(file.path(), 1, 0), 3);
  EXPECT_EQ(keysOf(buffer), (std::vector<int>{5, 6, 7, 8, 9, 10}));

  // A file that cannot be opened leaves a replaced buffer empty.
  EXPECT_EQ(buffer.loadBuffer(file.path() + ".missing", 0, 0), 0);
  EXPECT_EQ(buffer.lineCount(), 0);
}

TEST(BufferFileTest, SavesLinesAndLeavesFilesAloneWhenEmpty) {
  TempFile file("save");
  BUFFER buffer;
  file.write("keep");
  EXPECT_EQ(buffer.saveBuffer(file.path(), 0), 0);
  EXPECT_EQ(file.read(), "keep");

  fill(buffer, {"A", "", "B"});
  EXPECT_EQ(buffer.saveBuffer(file.path(), 0), 1);
  EXPECT_EQ(file.read(), "A\n\nB\n");
  EXPECT_EQ(buffer.saveBuffer(file.path(), 1), 1);
  EXPECT_EQ(file.read(), "A\n\nB\nA\n\nB\n");
  EXPECT_EQ(buffer.saveBuffer(::testing::TempDir() + "no/such/dir/x", 0), 0);
}

TEST(BufferFileTest, PrintsNumberedLines) {
  BUFFER buffer;
  fill(buffer, {"x", "y"});
  ::testing::internal::CaptureStdout();
  buffer.printBuffer(0, 1);
  buffer.printBuffer(0, 0);
  BUFFER().printBuffer(0, 1);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "1   x\n2   y\nx\ny\n");

  // Paging waits after every full page and once after a partial last page;
  // standard input is an empty file here, so each wait returns at once.
  TempFile input("stdin");
  input.write("");
  const int savedStdin = dup(0);
  std::FILE* empty = std::fopen(input.path().c_str(), "r");
  ASSERT_NE(empty, nullptr);
  dup2(fileno(empty), 0);
  ::testing::internal::CaptureStdout();
  fill(buffer, {"a", "b", "c", "d", "e"});
  buffer.printBuffer(2, 0);
  buffer.deleteLine(5);
  buffer.printBuffer(2, 1);
  const std::string printed = ::testing::internal::GetCapturedStdout();
  dup2(savedStdin, 0);
  close(savedStdin);
  std::fclose(empty);
  std::clearerr(stdin);
  const std::string prompt = "Press ENTER to Continue! ";
  EXPECT_EQ(printed, "a\nb\n" + prompt + "c\nd\n" + prompt + "e\n" + prompt + "1   a\n2   b\n" + prompt +
                         "3   c\n4   d\n" + prompt);
}

TEST(BufferTest, InsertsAndDeletesLines) {
  struct Case {
    const char* what;
    Lines start;
    std::function<int(BUFFER&)> edit;
    int result;
    Lines lines;
  };
  BUFFER pq;
  fill(pq, {"P", "Q"});
  BUFFER none;
  const std::vector<Case> cases = {
      {"insert at 1", {"A", "B"}, [](BUFFER& b) { return b.insertLine("X", 1); }, 1, {"X", "A", "B"}},
      {"insert at 2", {"A", "B"}, [](BUFFER& b) { return b.insertLine("X", 2); }, 1, {"A", "X", "B"}},
      {"insert at 3", {"A", "B"}, [](BUFFER& b) { return b.insertLine("X", 3); }, 1, {"A", "B", "X"}},
      {"insert at 0", {"A", "B"}, [](BUFFER& b) { return b.insertLine("X", 0); }, 0, {"A", "B"}},
      {"buffer at 1", {"A", "B"}, [&](BUFFER& b) { return b.insertBuffer(&pq, 1); }, 1, {"P", "Q", "A", "B"}},
      {"buffer at 2", {"A", "B"}, [&](BUFFER& b) { return b.insertBuffer(&pq, 2); }, 1, {"A", "P", "Q", "B"}},
      {"buffer at 3", {"A", "B"}, [&](BUFFER& b) { return b.insertBuffer(&pq, 3); }, 1, {"A", "B", "P", "Q"}},
      {"itself at 2", {"A", "B"}, [](BUFFER& b) { return b.insertBuffer(&b, 2); }, 1, {"A", "A", "B", "B"}},
      // Lines inserted at 1 share a key with the head; a line inserted between them still goes where asked.
      {"line into buffer inserted at 1",
       {"A", "B"},
       [&](BUFFER& b) { return b.insertBuffer(&pq, 1) + b.insertLine("X", 2); },
       2,
       {"P", "X", "Q", "A", "B"}},
      {"line after buffer inserted at 1",
       {"A", "B"},
       [&](BUFFER& b) { return b.insertBuffer(&pq, 1) + b.insertLine("X", 3); },
       2,
       {"P", "Q", "X", "A", "B"}},
      {"line into buffer inserted at 2",
       {"A", "B"},
       [&](BUFFER& b) { return b.insertBuffer(&pq, 2) + b.insertLine("X", 3); },
       2,
       {"A", "P", "X", "Q", "B"}},
      {"empty buffer", {"A"}, [&](BUFFER& b) { return b.insertBuffer(&none, 1); }, 1, {"A"}},
      {"null buffer", {"A"}, [](BUFFER& b) { return b.insertBuffer(nullptr, 1); }, 0, {"A"}},
      {"delete 2..4",
       {"1", "2", "3", "4", "5"},
       [](BUFFER& b) { return b.deleteLines(2, 4); },
       1,
       {"1", "5"}},
      {"delete 3..2", {"1", "2", "3"}, [](BUFFER& b) { return b.deleteLines(3, 2); }, 0, {"1", "2", "3"}},
      {"delete 0..0", {"1", "2"}, [](BUFFER& b) { return b.deleteLines(0, 0); }, 1, {}},
      {"delete 2..3", {"1", "2"}, [](BUFFER& b) { return b.deleteLines(2, 3); }, 0, {"1", "2"}},
      {"delete line 3", {"1", "2"}, [](BUFFER& b) { return b.deleteLine(3); }, 0, {"1", "2"}},
      {"delete empty",
       {"", " ", "", "a", ""},
       [](BUFFER& b) {
         b.deleteEmptyLines();
         return 1;
       },
       1,
       {" ", "a"}},
      {"set line", {"1", "2"}, [](BUFFER& b) { return b.setLine("X", 2); }, 1, {"1", "X"}},
      {"set line 3", {"1", "2"}, [](BUFFER& b) { return b.setLine("X", 3); }, 0, {"1", "2"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    BUFFER buffer;
    fill(buffer, c.start);
    EXPECT_EQ(c.edit(buffer), c.result);
    EXPECT_EQ(linesOf(buffer), c.lines);
    // Lines added afterwards still go at the end.
    buffer.addLine("end");
    EXPECT_EQ(linesOf(buffer).back(), "end");
  }
}

TEST(BufferTest, KeepsKeysInOrderAcrossEdits) {
  BUFFER buffer;
  fill(buffer, {"a", "b", "c"});
  buffer.deleteLine(3);
  buffer.addLine("d");
  EXPECT_EQ(keysOf(buffer), (std::vector<int>{1, 2, 3}));
  buffer.deleteLine(2);
  buffer.insertLine("x", 2);
  EXPECT_EQ(keysOf(buffer), (std::vector<int>{1, 3, 4}));

  BUFFER other;
  fill(other, {"p", "q"});
  buffer.insertBuffer(&other, 2);
  EXPECT_EQ(linesOf(buffer), (Lines{"a", "p", "q", "x", "d"}));
  EXPECT_EQ(keysOf(buffer), (std::vector<int>{1, 2, 2, 4, 5}));

  BUFFER copy;
  EXPECT_EQ(buffer.copyLines(copy, 2, 3), 1);
  EXPECT_EQ(buffer.copyLines(copy, 0, 9), 0);
  EXPECT_EQ(linesOf(copy), (Lines{"p", "q"}));
}

TEST(BufferTest, AnswersWordQueries) {
  const STRING s("  alpha\tbeta ");
  std::string word = "old";
  EXPECT_EQ(*s.getWord(word, 2), "beta");
  EXPECT_EQ(s.getWord(word, 3), nullptr);
  EXPECT_EQ(word, "");
  EXPECT_EQ(s.wordOffset(2), 8);
  EXPECT_EQ(s.wordOffset(3), -1);
  EXPECT_EQ(STRING("").countWords(), 0);
  EXPECT_EQ(STRING("   ").countWords(), 0);

  const STRING upper("ABC AB1 AbC");
  EXPECT_EQ(upper.isUpperWord(1), 1);
  EXPECT_EQ(upper.isUpperWord(2), 0);
  EXPECT_EQ(upper.isUpperWord(3), 0);
  EXPECT_EQ(upper.isUpperWord(4), 0);
  EXPECT_EQ(upper.wordEquals(3, "abc", 1), 1);
  EXPECT_EQ(upper.wordEquals(3, "abc", 0), 0);
  EXPECT_EQ(upper.wordEquals(4, "", 1), 0);

  EXPECT_EQ(STRING("abcABC").findText("bc", 1, 0), 2);
  EXPECT_EQ(STRING("abcABC").findText("BC", 0, 0), 5);
  EXPECT_EQ(STRING("move to sea").findText("SEA", 1, 1), 3);
  EXPECT_EQ(STRING("move to seas").findText("sea", 1, 1), 0);
  EXPECT_EQ(STRING("").findText("", 1, 0), 0);

  STRING tabs("a\tb");
  EXPECT_EQ(tabs.expandTabs(8), 1);
  EXPECT_EQ(tabs.text(), "a        b");
}

TEST(BufferTest, SearchesAndCountsLines) {
  BUFFER buffer;
  fill(buffer, {"", "; header", "#vyr 12", " \t", "Move move MOVE", "#END"});
  EXPECT_EQ(buffer.findLine("#VYR", 0), 3);
  EXPECT_EQ(buffer.findLine("#VYR", 4), 0);
  EXPECT_EQ(buffer.findLine("#VYR", 7), 0);
  EXPECT_EQ(buffer.findLine("", 1), 2);  // a line without text never matches
  EXPECT_EQ(buffer.findBlankLine(), 1);
  EXPECT_EQ(buffer.countLineWords(5), 3);
  EXPECT_EQ(buffer.countLineWords(7), 0);
  EXPECT_EQ(buffer.countAllWords(), 8);
  EXPECT_EQ(buffer.countUniqueWords(), 6);

  std::string text;
  buffer.first();
  buffer.next();
  EXPECT_EQ(buffer.currentLine(text), "; header");
  EXPECT_EQ(buffer.setCurrentLine("changed"), 1);
  EXPECT_EQ(*buffer.getLine(text, 2), "changed");
  buffer.last();
  buffer.next();
  EXPECT_EQ(buffer.currentLine(text), "");
  EXPECT_EQ(buffer.setCurrentLine("x"), 0);
}

TEST(BufferTest, AddsWrappedText) {
  BUFFER buffer;
  buffer.addWrappedText(
      "", "Warning: Game Number Specified Invalid. Using data that is common to all worlds of Vyr. \n ", 2,
      70, 0, "#> ");
  const Lines expected = {"#> Warning: Game Number Specified Invalid. Using data that is common to ",
                          "#>   all worlds of Vyr. ", "#>   "};
  EXPECT_EQ(linesOf(buffer), expected);
  EXPECT_EQ(expected[0].size(), 72U);
}

TEST(BufferTest, EncodesAndDecodesHex) {
  BUFFER buffer;
  BUFFER hex;
  BUFFER back;
  buffer.addLine("A");
  buffer.encodeHex(hex);
  EXPECT_EQ(linesOf(hex), (Lines{"~410A~"}));
  hex.decodeHex(back);
  EXPECT_EQ(linesOf(back), (Lines{"A"}));

  BUFFER().encodeHex(hex);
  EXPECT_EQ(linesOf(hex), (Lines{"~~"}));

  const Lines text = {std::string(100, 'x'), "", "\xAD\x01 tail", "last"};
  fill(buffer, text);
  buffer.encodeHex(hex);
  const Lines encoded = linesOf(hex);
  ASSERT_GE(encoded.size(), 3U);
  EXPECT_EQ(encoded[0].size(), 75U);
  EXPECT_EQ(encoded[1].size(), 76U);
  EXPECT_EQ(encoded.back().back(), '~');
  hex.decodeHex(back);
  EXPECT_EQ(linesOf(back), text);
}

}  // namespace
}  // namespace vyr
