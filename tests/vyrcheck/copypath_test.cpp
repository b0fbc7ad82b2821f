// Where vyrcheck puts an annotated copy below its output folder.
#include <gtest/gtest.h>

#include <string>

#include "vyrcheck/vyrcheck.h"

namespace vyr {
namespace {

TEST(VyrcheckCopyPath, EveryInputLandsBelowTheOutputFolder) {
  struct Case {
    std::string outDir, input, copy;
  };
  const Case cases[] = {
      {"out", "orders.txt", "out/orders.txt"},
      {"out", "players/ann/orders.txt", "out/players/ann/orders.txt"},
      {"out/", "players/ann/orders.txt", "out/players/ann/orders.txt"},
      {"out", "./players//bo/./orders.txt", "out/players/bo/orders.txt"},
      {"out", "../turn/orders.txt", "out/__/turn/orders.txt"},
      {"out", "a/../../b.txt", "out/a/__/__/b.txt"},
      {"out", "/home/gm/turn 12/p1.txt", "out/home/gm/turn 12/p1.txt"},
      {"/srv/out", "//p1.txt", "/srv/out/p1.txt"},
      {"out", "-", "out/stdin.txt"},
      {".", "x.txt", "./x.txt"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(copyPathFor(c.outDir, c.input), c.copy) << c.outDir << " + " << c.input;
}

}  // namespace
}  // namespace vyr
