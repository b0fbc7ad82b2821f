// Every control character in a JSON string is escaped, each in the one form a
// reader expects, and the characters around it are kept, wherever it stands.
#include <gtest/gtest.h>

#include <string>

#include "findings/findingformat.h"

namespace vyr {
namespace {

TEST(JsonEscape, EveryControlCharacter) {
  const struct {
    unsigned char c;
    const char* escaped;
  } cases[] = {
      {0x00, "\\u0000"}, {0x01, "\\u0001"}, {0x02, "\\u0002"}, {0x03, "\\u0003"}, {0x04, "\\u0004"},
      {0x05, "\\u0005"}, {0x06, "\\u0006"}, {0x07, "\\u0007"}, {0x08, "\\u0008"}, {0x09, "\\t"},
      {0x0A, "\\n"},     {0x0B, "\\u000b"}, {0x0C, "\\u000c"}, {0x0D, "\\r"},     {0x0E, "\\u000e"},
      {0x0F, "\\u000f"}, {0x10, "\\u0010"}, {0x11, "\\u0011"}, {0x12, "\\u0012"}, {0x13, "\\u0013"},
      {0x14, "\\u0014"}, {0x15, "\\u0015"}, {0x16, "\\u0016"}, {0x17, "\\u0017"}, {0x18, "\\u0018"},
      {0x19, "\\u0019"}, {0x1A, "\\u001a"}, {0x1B, "\\u001b"}, {0x1C, "\\u001c"}, {0x1D, "\\u001d"},
      {0x1E, "\\u001e"}, {0x1F, "\\u001f"},
      // DEL needs no escape in JSON, but a terminal reading the report would act on it.
      {0x7F, "\\u007f"},
      // The first characters that stand for themselves.
      {0x20, " "},       {0x7E, "~"},
  };
  std::string all;
  std::string allEscaped;
  for (const auto& c : cases) {
    const std::string text = std::string("a") + static_cast<char>(c.c) + "b";
    std::string out = "x";
    EXPECT_EQ(appendJsonString(out, text), std::string("x\"a") + c.escaped + "b\"") << int{c.c};
    all += static_cast<char>(c.c);
    allEscaped += c.escaped;
  }
  std::string out;
  EXPECT_EQ(appendJsonString(out, all), "\"" + allEscaped + "\"");
}

// Plain text is taken eight bytes at a time: a byte that needs care is found
// at every place in such a run.
TEST(JsonEscape, EveryPlaceInALongPlainText) {
  const struct {
    std::string bytes;
    const char* written;
  } cases[] = {
      {"\"", "\\\""}, {"\\", "\\\\"}, {"\x1f", "\\u001f"}, {"\x7f", "\\u007f"}, {"\t", "\\t"},
      {"\xC3\xA9", "\xC3\xA9"}, {"\xFF", "\\ufffd"}, {" ", " "}, {"~", "~"}, {"!", "!"}, {"#", "#"}, {"[", "["},
      {"]", "]"},
  };
  for (const auto& c : cases) {
    for (std::size_t before = 0; before <= 17; ++before) {
      const std::string head(before, 'p');
      const std::string tail(20 - before, 'q');
      std::string out;
      EXPECT_EQ(appendJsonString(out, head + c.bytes + tail), "\"" + head + c.written + tail + "\"")
          << c.written << " after " << before;
    }
  }
}

}  // namespace
}  // namespace vyr
