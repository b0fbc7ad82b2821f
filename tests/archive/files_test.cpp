#include "archive/files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vyr {
namespace {

using Bytes = std::vector<unsigned char>;

// A directory of its own for each test, removed afterwards.
class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::filesystem::temp_directory_path() /
           ("vyr_files_" + std::to_string(getpid()) + "_" + info->test_suite_name() + "_" + info->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  std::string writeBytes(const std::string& name, const Bytes& bytes) const {
    std::ofstream(path(name), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                       static_cast<std::streamsize>(bytes.size()));
    return path(name);
  }

  Bytes readBytes(const std::string& name) const {
    std::ifstream in(path(name), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  std::filesystem::path dir_;
};

void addMember(FILES& files, const std::string& name, const std::vector<std::string>& lines) {
  auto member = std::make_unique<FILEOBJ>(0, name);
  for (const std::string& line : lines) member->getBuffer()->addLine(line);
  ASSERT_EQ(files.addFront(std::move(member)), 1);
}

std::vector<std::string> linesOf(BUFFER& buffer) {
  std::vector<std::string> lines;
  for (int n = 1; n <= buffer.lineCount(); ++n) lines.push_back(buffer.lineString(n)->text());
  return lines;
}

std::vector<std::string> namesOf(FILES& files) {
  std::vector<std::string> names;
  for (int i = 1; i <= files.count(); ++i) names.push_back(files.get(i)->name());
  return names;
}

// The record of member "AB" with the single line "x".
const Bytes kAbRecord{0x00, 0x44, 0x46, 0xFF, 0x7E, 0x11};

TEST(FilesShiftTest, StoredValuesAndInverse) {
  struct Case {
    long count;
    int value;
    int stored;
  };
  const Case cases[] = {
      {2, 'A', 68}, {3, 'B', 70}, {5, 'x', 126}, {6, '\n', 17}, {0, 253, 1}, {252, 1, 1}, {253, 1, 2}, {0, 1, 2},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FILES::shiftByte(c.count, c.value), c.stored) << c.count << "," << c.value;
    EXPECT_EQ(FILES::unshiftByte(c.count, c.stored), c.value) << c.count << "," << c.value;
  }
  for (long count = 0; count <= 1000; ++count) {
    for (int value = 1; value <= 253; ++value) {
      const int stored = FILES::shiftByte(count, value);
      ASSERT_TRUE(stored >= 1 && stored <= 253);
      ASSERT_EQ(FILES::shiftByte(count % 253, value), stored);
      ASSERT_EQ(FILES::unshiftByte(count, stored), value);
    }
  }
  ::testing::internal::CaptureStdout();
  FILES::testShiftByte();
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
}

TEST_F(FilesTest, SixByteRecordWrittenAndRead) {
  FILES out(path("six.dat"));
  addMember(out, "ab", {"x"});
  out.saveFiles();
  EXPECT_EQ(readBytes("six.dat"), kAbRecord);

  FILES in(path("six.dat"));
  in.loadFiles();
  ASSERT_EQ(namesOf(in), std::vector<std::string>{"AB"});
  EXPECT_EQ(linesOf(*in.get(1)->getBuffer()), std::vector<std::string>{"x"});
}

TEST_F(FilesTest, PositionsRestartPerRecordAndWrapPast253) {
  // The same member gives the same bytes as first or as tenth record.
  FILES many(path("many.dat"));
  addMember(many, "ab", {"x"});
  for (int i = 0; i < 9; ++i) addMember(many, "m" + std::to_string(i), {"some text", "", "more"});
  many.saveFiles();
  const Bytes all = readBytes("many.dat");
  ASSERT_GT(all.size(), kAbRecord.size());
  EXPECT_EQ(Bytes(all.end() - static_cast<long>(kAbRecord.size()), all.end()), kAbRecord);

  // Name "N": 00 at 1, 'N' at 2, FF at 3, the line from position 4 on.
  FILES wide(path("wide.dat"));
  addMember(wide, "N", {std::string(400, 'q')});
  wide.saveFiles();
  const Bytes bytes = readBytes("wide.dat");
  ASSERT_EQ(bytes.size(), 3u + 400u + 1u);
  EXPECT_EQ(bytes[299], FILES::shiftByte(47, 'q'));
  EXPECT_EQ(bytes[299], FILES::shiftByte(300, 'q'));

  FILES back(path("wide.dat"));
  back.loadFiles();
  EXPECT_EQ(linesOf(*back.get(1)->getBuffer()), std::vector<std::string>{std::string(400, 'q')});
}

TEST_F(FilesTest, MembersKeepTheirLinesAndReverseOnEachLoad) {
  FILES out(path("three.dat"));
  addMember(out, "c", {});
  addMember(out, "b", {"a", "", "b"});
  addMember(out, "a", {"first line", "\t tabs and  spaces \t", "bytes \x01\x7F\xC3\xA9\xFD"});
  out.saveFiles();  // file order A, B, C

  FILES in(path("three.dat"));
  in.loadFiles();
  EXPECT_EQ(namesOf(in), (std::vector<std::string>{"C", "B", "A"}));
  EXPECT_EQ(in.findFile("c")->getBuffer()->lineCount(), 0);
  EXPECT_EQ(linesOf(*in.findFile("b")->getBuffer()), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(linesOf(*in.findFile("a")->getBuffer()),
            (std::vector<std::string>{"first line", "\t tabs and  spaces \t", "bytes \x01\x7F\xC3\xA9\xFD"}));

  // Saving what was loaded writes C, B, A; loading that restores A, B, C.
  FILES rewrite(path("three.dat"));
  rewrite.loadFiles();
  rewrite.saveFiles();
  FILES reread(path("three.dat"));
  reread.loadFiles();
  EXPECT_EQ(namesOf(reread), (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_EQ(linesOf(*reread.findFile("B")->getBuffer()), (std::vector<std::string>{"a", "", "b"}));
}

TEST_F(FilesTest, EmptyArchiveAndMemberWithoutLines) {
  FILES empty(writeBytes("empty.dat", {}));
  empty.loadFiles();
  EXPECT_EQ(empty.count(), 0);
  BUFFER target;
  target.addLine("kept");
  empty.extractFile("vyrsyn.dat", target);
  EXPECT_EQ(linesOf(target), std::vector<std::string>{"kept"});

  // A record that ends right after its name end marker is a member with no lines.
  FILES bare(writeBytes("bare.dat", {0x00, 0x44, 0x46, 0xFF}));
  bare.loadFiles();
  ASSERT_EQ(namesOf(bare), std::vector<std::string>{"AB"});
  EXPECT_EQ(bare.get(1)->getBuffer()->lineCount(), 0);
}

TEST_F(FilesTest, LookupIgnoresCaseAndLaterRecordWins) {
  FILES out(path("dup.dat"));
  addMember(out, "VYRSYN.DAT", {"later"});
  addMember(out, "other.dat", {"o"});
  addMember(out, "vyrsyn.dat", {"earlier", "record"});
  out.saveFiles();  // file order: vyrsyn (earlier), other, vyrsyn (later)

  FILES in(path("dup.dat"));
  in.loadFiles();
  ASSERT_EQ(in.count(), 3);
  FILEOBJ* found = in.findFile("Vyrsyn.Dat");
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(linesOf(*found->getBuffer()), std::vector<std::string>{"later"});
  EXPECT_EQ(in.findFile("missing.dat"), nullptr);

  BUFFER target;
  target.addLine("old 1");
  target.addLine("old 2");
  target.addLine("old 3");
  in.extractFile("vyrsyn.dat", target);
  EXPECT_EQ(linesOf(target), std::vector<std::string>{"later"});
  in.extractFile("nothing.dat", target);
  EXPECT_EQ(linesOf(target), std::vector<std::string>{"later"});
}

TEST_F(FilesTest, AddFileReadsTheNameAsGiven) {
  std::ofstream(path("vyrres.dat")) << "0\tGold\tGD\t\r\n1\tAshglass\tAGL\tnote\n";
  FILES files(path("out.dat"));
  EXPECT_EQ(files.addFile(dir_.string() + "/", "vyrres.dat"), 1);
  EXPECT_EQ(files.addFile(dir_.string() + "/", "absent.dat"), 1);
  EXPECT_EQ(namesOf(files), (std::vector<std::string>{"ABSENT.DAT", "VYRRES.DAT"}));
  EXPECT_EQ(linesOf(*files.findFile("vyrres.dat")->getBuffer()),
            (std::vector<std::string>{"0\tGold\tGD\t", "1\tAshglass\tAGL\tnote"}));
  EXPECT_EQ(files.findFile("absent.dat")->getBuffer()->lineCount(), 0);
}

// Damaged archives, and what loading them reports.
struct DamageCase {
  const char* what;
  Bytes bytes;
  const char* message;
};

std::vector<DamageCase> damageCases() {
  const char* damaged = "Damaged data archive in FILES::loadFiles.";
  const char* unfinished = "Something is wrong the line should have already been added to the buffer.";
  const auto newlineAt2 = static_cast<std::uint8_t>(FILES::shiftByte(2, '\n'));
  return {
      {"first byte not 0x00", {0x44, 0x46, 0xFF, 0x7E, 0x11}, damaged},
      {"name end marker first", {0xFF, 0x7E, 0x11}, damaged},
      {"newline inside a name", {0x00, newlineAt2, 0xFF}, damaged},
      {"0x00 inside a name", {0x00, 0x44, 0x00, 0x44, 0x46, 0xFF}, damaged},
      {"two start markers", {0x00, 0x00, 0x44, 0x46, 0xFF}, damaged},
      {"0x00 inside a last line", {0x00, 0x44, 0x46, 0xFF, 0x7E, 0x00, 0x44, 0x46, 0xFF}, damaged},
      {"0xFF after a name", {0x00, 0x44, 0x46, 0xFF, 0x7E, 0x11, 0xFF}, damaged},
      {"0xFE stored", {0x00, 0x44, 0xFE, 0xFF}, damaged},
      {"damage in a later record", {0x00, 0x44, 0x46, 0xFF, 0x7E, 0x11, 0x00, 0x44, 0xFF, 0xFF}, damaged},
      {"ends inside a line", {0x00, 0x44, 0x46, 0xFF, 0x7E}, unfinished},
      {"ends inside a name", {0x00, 0x44}, unfinished},
      {"ends after a start marker", {0x00}, unfinished},
  };
}

// The message as a regular expression that matches only itself.
std::string literally(const std::string& message) {
  std::string regex;
  for (const char c : message) {
    if (std::string_view(".^$|()[]{}*+?\\").find(c) != std::string_view::npos) regex += '\\';
    regex += c;
  }
  return regex;
}

TEST_F(FilesTest, ReadFilesReportsWhatLoadFilesEndsWith) {
  for (const DamageCase& c : damageCases()) {
    FILES files(writeBytes("bad.dat", c.bytes));
    std::string message;
    EXPECT_EQ(files.readFiles(message), 0) << c.what;
    EXPECT_EQ(message, c.message) << c.what;
    EXPECT_EQ(files.count(), 0) << c.what;  // no half-loaded members
  }
  FILES missing(path("missing.dat"));
  std::string message;
  EXPECT_EQ(missing.readFiles(message), 0);
  EXPECT_EQ(message, "Unable to load the file in FILES::loadFiles.");
  FILES unwritable(path("no/such/dir/out.dat"));
  EXPECT_EQ(unwritable.writeFiles(message), 0);
  EXPECT_EQ(message, "Unable to save the file in FILES::saveFiles.");
}

TEST_F(FilesTest, DamageIsToldInPlainWordsWithItsPlace) {
  struct Case {
    Bytes bytes;
    std::string plain;
  };
  const Case cases[] = {
      {{0x01}, "damaged archive: byte 1: text before the first member: not a data archive"},
      {{0xFE}, "damaged archive: byte 1: the byte 0xFE, which no archive holds"},
      {{0xFF}, "damaged archive: byte 1: a member name ends where none began"},
      {{0x00, 0x44}, "damaged archive: it ends inside a member name: the archive is cut short"},
      {{0x00, 0x44, 0x46, 0xFF, 0x7E},
       "damaged archive: it ends inside a line: the archive is cut short (member ab, line 1)"},
      {{0x00, 0x44, 0x46, 0xFF, 0x7E, 0x11, 0xFE},
       "damaged archive: byte 7: the byte 0xFE, which no archive holds (member ab, line 2)"},
      {{0x00, 0x44, 0x46, 0xFF, 0x7E, 0x00}, "damaged archive: byte 6: a new member starts inside a line (member ab, line 1)"},
      {{0x00, 0x44, 0x00}, "damaged archive: byte 3: a new member starts inside a member name"},
  };
  for (const Case& c : cases) {
    FILES files(writeBytes("bad.dat", c.bytes));
    std::string message;
    EXPECT_EQ(files.readFiles(message), 0) << c.plain;
    EXPECT_EQ(files.plainFault(), c.plain);
  }
  FILES sound(writeBytes("good.dat", kAbRecord));
  std::string message;
  EXPECT_EQ(sound.readFiles(message), 1);
  EXPECT_EQ(sound.plainFault(), "");
  FILES missing(path("missing.dat"));
  EXPECT_EQ(missing.readFiles(message), 0);
  EXPECT_EQ(missing.plainFault(), "cannot be opened for reading");
}

// fatalError writes to standard output and waits for a line of input: send
// the one to standard error and feed the other from /dev/null.
void quietly(void (*action)(FILES&), FILES& files) {
  dup2(2, 1);
  if (std::freopen("/dev/null", "r", stdin) == nullptr) return;
  action(files);
}
void load(FILES& files) { files.loadFiles(); }
void save(FILES& files) { files.saveFiles(); }
void addTwice(FILES& files) {
  files.addFile("/", "twice.dat");
  files.addFile("/", "TWICE.DAT");
}

TEST_F(FilesTest, FatalErrorsEndTheRun) {
  for (const DamageCase& c : damageCases()) {
    FILES files(writeBytes("bad.dat", c.bytes));
    EXPECT_DEATH(quietly(load, files), literally(c.message)) << c.what;
  }
  FILES missing(path("missing.dat"));
  EXPECT_DEATH(quietly(load, missing), literally("Unable to load the file in FILES::loadFiles."));
  FILES unwritable(path("no/such/dir/out.dat"));
  EXPECT_DEATH(quietly(save, unwritable), literally("Unable to save the file in FILES::saveFiles."));

  FILES twice(path("twice.dat"));
  EXPECT_DEATH(quietly(addTwice, twice), literally("Request File To Be Added Was Already In The List."));

  FILES fe(path("fe.dat"));
  addMember(fe, "text", {"ok", "bad \xFE byte"});
  EXPECT_DEATH(quietly(save, fe),
               "Char value : 254\n\n" + literally("FILES::shiftByte - Cannot Encode Data Beyond 1 < or > 253."));
  FILES ff(path("ff.dat"));
  addMember(ff, "name \xFF", {});
  EXPECT_DEATH(quietly(save, ff), "Char value : 255");
}

}  // namespace
}  // namespace vyr
