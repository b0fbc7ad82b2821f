// The block reader must cut a file exactly as the buffer's load does, across
// block boundaries and for lines longer than a block, and give the same lines
// again after a rewind, for a regular file and for a pipe.
#include "text/linereader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "text/buffer.h"

namespace vyr {
namespace {

using Lines = std::vector<std::string>;

std::string temporaryPath(const char* name) {
  return (std::filesystem::temp_directory_path() / (std::string("linereader-") + std::to_string(::getpid()) +
                                                    "-" + name))
      .string();
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

Lines readAll(LINEREADER& reader) {
  Lines lines;
  std::string_view line;
  while (reader.next(line)) lines.emplace_back(line);
  return lines;
}

Lines loadedByBuffer(const std::string& path) {
  BUFFER buffer;
  (void)buffer.loadBuffer(path, 0, 0);
  Lines lines;
  for (int n = 1; n <= buffer.lineCount(); ++n) lines.emplace_back(buffer.lineString(n)->view());
  return lines;
}

struct Case {
  const char* what;
  std::string bytes;
};

const std::vector<Case>& cases() {
  static const std::vector<Case> all = {
      {"empty file", ""},
      {"one line with newline", "A\n"},
      {"last line without newline", "A\nB"},
      {"empty lines", "A\n\n\nB\n\n"},
      {"only a newline", "\n"},
      {"carriage returns: one dropped per line", "A\r\nB\r\r\n\r\nC\r"},
      {"NUL ends a line's text", std::string("ab\0cd\nef\n\0\n", 11)},
      {"a last line that is only a NUL", std::string("A\n\0", 3)},
      {"lines across many blocks", [] {
         std::string s;
         for (int n = 0; n < 20000; ++n) s += "SHIRE " + std::to_string(n) + ",3 ; a comment\n";
         return s;
       }()},
      {"a line longer than two blocks", "head\n" + std::string(150000, 'x') + "\ntail"},
      {"a long line ending exactly at a block", std::string(65535, 'y') + "\n" + std::string(65536, 'z')},
  };
  return all;
}

TEST(LineReader, CutsAsTheBufferLoadsAndAgainAfterRewind) {
  const std::string path = temporaryPath("regular.txt");
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.what);
    writeFile(path, c.bytes);
    const Lines expected = loadedByBuffer(path);
    LINEREADER reader;
    ASSERT_EQ(reader.open(path), 1);
    EXPECT_EQ(reader.fileSize(), c.bytes.size());
    EXPECT_EQ(reader.hasLines(), expected.empty() ? 0 : 1);
    EXPECT_EQ(readAll(reader), expected);
    ASSERT_EQ(reader.rewind(), 1);
    EXPECT_EQ(readAll(reader), expected);
  }
  std::filesystem::remove(path);
}

TEST(LineReader, APipeIsReadWholeAndCanBeWalkedTwice) {
  const std::string path = temporaryPath("fifo");
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.what);
    const std::string file = temporaryPath("fifo-reference.txt");
    writeFile(file, c.bytes);
    const Lines expected = loadedByBuffer(file);
    std::filesystem::remove(file);
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    std::thread writer([&] { writeFile(path, c.bytes); });
    LINEREADER reader;
    ASSERT_EQ(reader.open(path), 1);
    writer.join();
    EXPECT_EQ(reader.fileSize(), c.bytes.size());
    EXPECT_EQ(readAll(reader), expected);
    ASSERT_EQ(reader.rewind(), 1);
    EXPECT_EQ(readAll(reader), expected);
    std::filesystem::remove(path);
  }
}

TEST(LineReader, AMissingFileOrADirectoryCannotBeOpenedAndGivesNoLines) {
  for (const std::string& path : {temporaryPath("missing.txt"), std::filesystem::temp_directory_path().string()}) {
    LINEREADER reader;
    EXPECT_EQ(reader.open(path), 0) << path;
    std::string_view line;
    EXPECT_EQ(reader.next(line), 0);
    EXPECT_EQ(reader.hasLines(), 0);
    EXPECT_EQ(reader.rewind(), 0);
  }
}

}  // namespace
}  // namespace vyr
