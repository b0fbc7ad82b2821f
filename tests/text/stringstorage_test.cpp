// STRING keeps its text in a block-store block and makes the std::string that
// `text` answers only when asked: the two must never disagree.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "containers/blockpool.h"
#include "text/buffer.h"

namespace vyr {
namespace {

// Texts that move between the block classes (empty, short, a class boundary,
// beyond the pooled sizes) in both directions.
const std::vector<std::string> kTexts = {"",
                                         "a",
                                         "RECRUIT 40 Pikemen",
                                         std::string(24, 'x'),
                                         std::string(25, 'y'),
                                         "",
                                         std::string(300, 'z'),
                                         "b",
                                         std::string(100000, 'w'),
                                         "  SHIRE 12,3  "};

TEST(StringStorageTest, TextCopyStaysInStepWithEveryChange) {
  STRING s;
  const std::string& shown = s.text();  // made now, kept in step from here on
  for (const std::string& text : kTexts) {
    s.setText(text);
    EXPECT_EQ(s.view(), text);
    EXPECT_EQ(&s.text(), &shown);
    EXPECT_EQ(shown, text);
    EXPECT_EQ(s.isEmpty(), text.empty() ? 1 : 0);
  }
  s.setText("a\tb");
  EXPECT_EQ(s.expandTabs(2), 1);
  EXPECT_EQ(shown, "a  b");

  // A view of its own text, shorter or in another class, is taken safely.
  for (const std::string& text : kTexts) {
    s.setText(text);
    for (std::size_t cut : {std::size_t{0}, std::size_t{1}, text.size() / 2}) {
      if (cut > text.size()) continue;
      STRING t(text);
      t.setText(t.view().substr(cut));
      EXPECT_EQ(t.view(), text.substr(cut));
      STRING u(text);
      u.setText(u.view().substr(0, text.size() - cut));
      EXPECT_EQ(u.view(), text.substr(0, text.size() - cut));
    }
  }
}

TEST(StringStorageTest, CopiesAreDeepAndEmptyTextsOwnNothing) {
  STRING a("Pikemen");
  STRING b(a);
  STRING c;
  c = a;
  a.setText("Archers");
  EXPECT_EQ(b.view(), "Pikemen");
  EXPECT_EQ(c.text(), "Pikemen");
  STRING& same = c;
  c = same;  // self-assignment keeps the text
  EXPECT_EQ(c.view(), "Pikemen");
  c = STRING();
  EXPECT_EQ(c.text(), "");

  // Making and dropping empty texts needs no memory at all.
  BLOCKPOOL::simulateExhaustion(1);
  {
    STRING empty;
    empty.setText("");
    EXPECT_EQ(empty.view(), "");
  }
  BLOCKPOOL::simulateExhaustion(0);
}

// Lines come from the block store: when it is out of memory, adding a line
// fails as a list addition does, and the buffer is unchanged.
TEST(StringStorageTest, LinesFailToAddWhenMemoryIsOut) {
  BUFFER buffer;
  buffer.addLine("first");
  BLOCKPOOL::simulateExhaustion(1);
  std::unique_ptr<LINESTR> line(new LINESTR(2));
  EXPECT_EQ(line, nullptr);
  EXPECT_EQ(buffer.add(std::unique_ptr<LINESTR>()), 0);
  BLOCKPOOL::simulateExhaustion(0);
  EXPECT_EQ(buffer.lineCount(), 1);
  buffer.addLine(std::string(5000, 'q'));
  EXPECT_EQ(buffer.lineString(2)->view().size(), 5000u);
  EXPECT_EQ(buffer.lineString(1)->text(), "first");
}

}  // namespace
}  // namespace vyr
