// The editor's own hint on the header line: the game it names against the
// game the editor checks for.
#include "vyrls/diagnostics.h"

#include <gtest/gtest.h>

namespace vyr {
namespace {

TEST(VyrlsHeaderHint, AnotherGameInTheHeaderIsPointedOut) {
  struct CASE {
    const char* text;
    int gameNo;
    // The hint's range on its line (UTF-16), or -1 when there is none.
    long long line;
    long long from;
    long long to;
  };
  const CASE cases[] = {
      {"#VYR Game 42  Ember Company\nPASSWORD x\n", 1, 0, 10, 12},
      {"#VYR Game 1  Ember Company\n", 1, -1, 0, 0},
      {"#vyr game 7\n", 7, -1, 0, 0},
      {"#VYR 42\n", 1, 0, 5, 7},
      {"#VYR\tGAME\t-3\r\n", 1, 0, 10, 12},
      {"; Grüße 😀\r\nPASSWORD x\n  #Vyr Game 12\n", 1, 2, 12, 14},
      {"PASSWORD x\n#VYR Game 3\n#VYR Game 4\n", 3, -1, 0, 0},  // the first header counts
      {"#VYR Game abc\n", 1, -1, 0, 0},
      {"#VYR Game\n42\n", 1, -1, 0, 0},
      {"#VYRGame 42\n", 1, 0, 9, 11},
      {"PASSWORD x\nSHIRE 12,3\n", 1, -1, 0, 0},
      {"", 1, -1, 0, 0},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.text);
    const TEXTDOCUMENT document("u", 1, c.text);
    const nlohmann::json hint = headerGameHint(document, c.gameNo, POSITIONENCODING::kUtf16);
    if (c.line < 0) {
      EXPECT_TRUE(hint.is_null()) << hint.dump();
      continue;
    }
    ASSERT_TRUE(hint.is_object());
    EXPECT_EQ(hint["range"], rangeJson({c.line, c.from}, {c.line, c.to}));
    EXPECT_EQ(hint["severity"], 4);
    EXPECT_EQ(hint["source"], "vyrls");
    const std::string message = hint["message"];
    EXPECT_NE(message.find("checks these orders for game " + std::to_string(c.gameNo)), std::string::npos);
    EXPECT_NE(message.find("\"game\""), std::string::npos) << message;
  }
}

}  // namespace
}  // namespace vyr
