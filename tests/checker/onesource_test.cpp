// Rules that several parts read from one place: the kind names the data
// checks accept are the checker's kinds, and the command of an order line.
#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "checker/ordercommand.h"
#include "checker/paramkinds.h"
#include "datacheck/tablecheck.h"
#include "text/fieldparser.h"

namespace vyr {
namespace {

TEST(OneSource, TheDataChecksAcceptExactlyTheCheckersKinds) {
  for (const PARAMKIND& kind : parameterKinds()) {
    EXPECT_TRUE(isParameterKind(kind.name)) << kind.name;
    std::string upper(kind.name);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_FALSE(isParameterKind(upper)) << upper;
    EXPECT_FALSE(isParameterKind(std::string(kind.name) + "s")) << kind.name;
  }
  for (const char* word : {"", "#", ".", "*", "lo", "units", "Loc", "y/N"})
    EXPECT_FALSE(isParameterKind(word)) << word;
}

TEST(OneSource, TheCommandOfAnOrderLine) {
  struct Case {
    const char* line;
    const char* command;
    int field;
    int shift;
  };
  const Case cases[] = {
      {"  RECRUIT 5 Pikemen", "RECRUIT", 1, 0},
      {"  @RECRUIT 5 Pikemen", "RECRUIT", 1, 0},  // a glued '@' is dropped
      {"  @ RECRUIT 5 Pikemen", "RECRUIT", 2, 1},
      {"  @", "", 2, 1},
      {"  @ ;note", ";note", 2, 1},
      {"  @@X", "@X", 1, 0},  // only one '@' is dropped
      {"", "", 1, 0},
  };
  for (const Case& c : cases) {
    const FIELDPARSER parser(c.line, ' ', '"', 1, 1, 1);
    const ORDERCOMMAND command = orderCommand(parser);
    EXPECT_EQ(command.text, c.command) << c.line;
    EXPECT_EQ(command.field, c.field) << c.line;
    EXPECT_EQ(command.shift, c.shift) << c.line;
  }
}

}  // namespace
}  // namespace vyr
