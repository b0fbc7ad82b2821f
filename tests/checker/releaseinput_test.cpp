// The check pass that deletes each input line once it is echoed must write the
// same output, count the same findings and report them with the same line
// numbers as the pass that leaves the input alone.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "checker/syntax.h"
#include "support/datasettest.h"

namespace vyr {
namespace {

using Lines = std::vector<std::string>;

class FindingLog : public FINDINGSINK {
 public:
  void finding(const CHECKREPORT& r) override {
    log += std::to_string(r.line) + ":" + std::to_string(r.field) + ":" + std::to_string(r.position) + "-" +
           std::to_string(r.end) + ":" + std::string(r.echo) + ":" + std::string(r.message) + ":" +
           std::string(r.subject) + ":" + std::to_string(r.isWarning) + ":" +
           std::string(findingCodeName(r.code)) + "\n";
  }
  std::string log;
};

struct Pass {
  Lines output;
  Lines inputAfter;
  int errors = -1;
  int warnings = -1;
  int answer = -1;
  std::string findings;
};

Lines linesOf(BUFFER& buffer) {
  Lines lines;
  for (int n = 1; n <= buffer.lineCount(); ++n) lines.emplace_back(buffer.lineString(n)->view());
  return lines;
}

Pass runPass(const Lines& input, int game, int release) {
  BUFFER in;
  BUFFER out;
  for (const std::string& line : input) in.addLine(line);
  SYNTAX syntax(0, 0);
  FindingLog log;
  syntax.setFindingSink(&log);
  syntax.setReleaseInput(release);
  syntax.prepareOrders(in);
  Pass pass;
  pass.answer = syntax.checkOrders(&in, &out, &pass.errors, &pass.warnings, game);
  pass.output = linesOf(out);
  pass.inputAfter = linesOf(in);
  pass.findings = log.log;
  return pass;
}

using ReleaseInputTest = DataSetTest;

TEST_F(ReleaseInputTest, SameOutputCountsAndFindings) {
  struct Case {
    Lines input;
    Lines rest;  // what the releasing pass leaves: up to the header, after the end line
  };
  const std::vector<Case> cases = {
      {{"before the header", "#VYR 1", "RECRUIT 40 Pikemen", "", "SHIRE 12,3", "  RECRUIT 40 Pikemen",
        "BANISH 3", "  MARCH 40 Pikemen 12,9 at dawn", "#END", "after the end", "; more"},
       {"before the header", "#VYR 1", "after the end", "; more"}},
      {{"SHIRE 1,1", "\tEXPLORE bold", "TRADE 500 Grain;cheap", "", ""}, {}},
      {{"#VYR", "#end"}, {"#VYR"}},
      {{}, {}},
      {{"#VYR 1"}, {"#VYR 1"}},
  };
  for (const Case& c : cases) {
    for (const int game : {1, 99}) {
      const Pass kept = runPass(c.input, game, 0);
      const Pass released = runPass(c.input, game, 1);
      EXPECT_EQ(released.output, kept.output);
      EXPECT_EQ(released.errors, kept.errors);
      EXPECT_EQ(released.warnings, kept.warnings);
      EXPECT_EQ(released.answer, kept.answer);
      EXPECT_EQ(released.findings, kept.findings);
      EXPECT_EQ(released.inputAfter, c.rest);
      EXPECT_EQ(kept.inputAfter.size(), c.input.size());
    }
  }
}

}  // namespace
}  // namespace vyr
