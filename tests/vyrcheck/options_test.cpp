// vyrcheck's command line.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "vyrcheck/vyrcheck.h"

namespace vyr {
namespace {

TEST(VyrcheckOptions, CommandLines) {
  struct Case {
    std::vector<std::string_view> arguments;
    std::string fault;  // "" when the line is good
  };
  const Case cases[] = {
      {{"a.txt"}, ""},
      {{"--format", "json", "--game", "7", "--max-findings=3", "--quiet", "a", "-", "b"}, ""},
      {{"--format=annotated", "--out-dir", "out", "a"}, ""},
      {{"--", "--quiet"}, ""},
      {{"-h"}, ""},
      {{}, "no orders file given ('-' reads standard input)"},
      {{"--format", "xml", "a"}, "unknown format 'xml'"},
      {{"--columns", "utf16", "a"}, "unknown column unit 'utf16' (byte or char)"},
      {{"--game", "+5", "a"}, "bad game number '+5'"},
      {{"--game", "5a", "a"}, "bad game number '5a'"},
      {{"--game", "99999999999", "a"}, ""},  // clamped, as VyrSyn reads it
      {{"--game", "-", "a"}, ""},            // game 0, as for VyrSyn
      {{"--max-findings", "-1", "a"}, "bad --max-findings '-1'"},
      {{"a", "--game"}, "--game needs a value"},
      {{"--verbose", "a"}, "unknown option '--verbose'"},
      {{"--format", "annotated", "a"}, "--format annotated needs --out-dir DIR"},
      {{"--out-dir", "d", "a"}, "--out-dir goes with --format annotated"},
  };
  for (const Case& c : cases) {
    VYRCHECKOPTIONS options;
    std::string fault;
    EXPECT_EQ(parseVyrcheckOptions(c.arguments, options, fault), c.fault.empty() ? 1 : 0) << c.fault;
    EXPECT_EQ(fault, c.fault);
  }
  VYRCHECKOPTIONS options;
  std::string fault;
  parseVyrcheckOptions(
      {"--format", "json", "--game=-7", "--max-findings", "3", "--quiet", "a", "-", "--", "-x"}, options,
      fault);
  EXPECT_EQ(options.format, REPORTFORMAT::kJson);
  EXPECT_EQ(options.gameNo, -7);
  EXPECT_EQ(options.maxFindings, 3);
  EXPECT_EQ(options.quiet, 1);
  EXPECT_EQ(options.files, (std::vector<std::string>{"a", "-", "-x"}));

  // Of an option given twice, the last counts.
  const std::pair<std::vector<std::string_view>, REPORTFORMAT> formats[] = {
      {{"--format", "json", "--format", "gnu", "a"}, REPORTFORMAT::kGnu},
      {{"--format=gnu", "--format=json", "a"}, REPORTFORMAT::kJson},
      {{"--format", "gnu", "--format", "annotated", "--out-dir", "o", "a"}, REPORTFORMAT::kAnnotated},
  };
  for (const auto& [arguments, format] : formats) {
    VYRCHECKOPTIONS twice;
    std::string why;
    EXPECT_EQ(parseVyrcheckOptions(arguments, twice, why), 1) << why;
    EXPECT_EQ(twice.format, format) << arguments.back();
  }
}

}  // namespace
}  // namespace vyr
