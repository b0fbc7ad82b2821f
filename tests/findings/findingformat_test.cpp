// The batch checker's report lines, its JSON strings and its edit distance.
#include "findings/findingformat.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "checker/suggester.h"
#include "text/editdistance.h"

namespace vyr {
namespace {

std::string json(std::string_view text) {
  std::string out;
  return appendJsonString(out, text);
}

TEST(FindingFormat, JsonStringsAreEscapedAndValidUtf8) {
  struct Case {
    std::string text;
    std::string json;
  };
  const Case cases[] = {
      {"plain", "\"plain\""},
      {"say \"hi\" \\ there", "\"say \\\"hi\\\" \\\\ there\""},
      {"tab\there\nnew\rcr", "\"tab\\there\\nnew\\rcr\""},
      {std::string("nul\0bell\x07"
                   "del\x7f",
                   13),
       "\"nul\\u0000bell\\u0007del\\u007f\""},
      {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xB2", "\"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xB2\""},  // kept
      {"latin1 \xE9!", "\"latin1 \\ufffd!\""},               // a lone high byte
      {"cut \xE2\x82", "\"cut \\ufffd\\ufffd\""},            // a sequence cut short
      {"overlong \xC0\xAF", "\"overlong \\ufffd\\ufffd\""},  // never valid
      {"surrogate \xED\xA0\x80", "\"surrogate \\ufffd\\ufffd\\ufffd\""},
      {"too high \xF4\x90\x80\x80", "\"too high \\ufffd\\ufffd\\ufffd\\ufffd\""},
  };
  for (const Case& c : cases) EXPECT_EQ(json(c.text), c.json) << c.text;
}

TEST(FindingFormat, FindingsAndSummariesInBothFormats) {
  FINDING finding;
  finding.line = 12;
  finding.column = 7;
  finding.endColumn = 12;
  finding.charColumn = 6;
  finding.endCharColumn = 10;
  finding.code = "unknown-command";
  finding.message = "ERROR: Unrecognized Command.";
  finding.suggestion = "MUSTER";
  EXPECT_EQ(formatFinding(REPORTFORMAT::kGnu, "orders/p1.txt", finding),
            "orders/p1.txt:12:7: error: Unrecognized Command. (did you mean 'MUSTER'?)\n");
  EXPECT_EQ(formatFinding(REPORTFORMAT::kJson, "a\"b.txt", finding),
            "{\"format\":1,\"type\":\"finding\",\"file\":\"a\\\"b.txt\",\"line\":12,\"column\":7,"
            "\"end_column\":12,\"char_column\":6,\"end_char_column\":10,"
            "\"severity\":\"error\",\"code\":\"unknown-command\",\"message\":\"Unrecognized Command.\",\"suggestion\":\"MUSTER\"}\n");
  finding.severity = SEVERITY::kWarning;
  finding.message = "Warning: Game Number Specified Invalid. Using data that is common to all worlds of Vyr.";
  finding.suggestion.clear();
  EXPECT_EQ(
      formatFinding(REPORTFORMAT::kGnu, "x", finding),
      "x:12:7: warning: Game Number Specified Invalid. Using data that is common to all worlds of Vyr.\n");
  EXPECT_NE(formatFinding(REPORTFORMAT::kJson, "x", finding).find("\"severity\":\"warning\""),
            std::string::npos);
  EXPECT_NE(formatFinding(REPORTFORMAT::kJson, "x", finding).find("\"suggestion\":null}"), std::string::npos);

  REPORTCOUNTS file;
  file.errors = 1;
  file.warnings = 2;
  file.unshown = 3;
  EXPECT_EQ(formatFileSummary(REPORTFORMAT::kGnu, "p.txt", file),
            "p.txt: 1 error, 2 warnings, 3 not shown\n");
  EXPECT_EQ(formatFileSummary(REPORTFORMAT::kAnnotated, "p.txt", file),
            "p.txt: 1 error, 2 warnings, 3 not shown\n");
  EXPECT_EQ(formatFileSummary(REPORTFORMAT::kJson, "p.txt", file),
            "{\"format\":1,\"type\":\"file\",\"file\":\"p.txt\",\"checked\":true,\"errors\":1,\"warnings\":2,"
            "\"unshown\":3}\n");
  file.checked = 0;
  EXPECT_EQ(formatFileSummary(REPORTFORMAT::kGnu, "p.txt", file), "p.txt: not checked\n");

  REPORTCOUNTS total;
  total.files = 1;
  total.errors = 0;
  total.warnings = 1;
  total.unchecked = 2;
  total.status = 3;
  EXPECT_EQ(formatTotal(REPORTFORMAT::kGnu, total), "total: 1 file, 0 errors, 1 warning, 2 not checked\n");
  EXPECT_EQ(formatTotal(REPORTFORMAT::kJson, total),
            "{\"format\":1,\"type\":\"total\",\"files\":1,\"unchecked\":2,\"errors\":0,\"warnings\":1,"
            "\"status\":3}\n");
}

TEST(FindingFormat, EditDistanceAndNearestName) {
  EXPECT_EQ(editDistance("MUSTR", "muster"), 1);
  EXPECT_EQ(editDistance("Pikmeen", "Pikemen"), 1);  // one swap
  EXPECT_EQ(editDistance("", "abc"), 3);
  EXPECT_EQ(editDistance("kitten", "sitting"), 3);
  EXPECT_EQ(editDistance("abc", "ABC"), 0);
  const std::vector<std::string> names = {"MARCH", "MUSTER", "MASTER", "SHIRE"};
  EXPECT_EQ(SUGGESTER::nearest("MUSTR", names), "MUSTER");
  EXPECT_EQ(SUGGESTER::nearest("MSTER", names), "MUSTER");  // equally near: the first in order
  EXPECT_EQ(SUGGESTER::nearest("muster", names), "");       // the name itself
  EXPECT_EQ(SUGGESTER::nearest("SHR", names), "");          // two apart is too far for three letters
  EXPECT_EQ(SUGGESTER::nearest("SHIER", names), "SHIRE");
  EXPECT_EQ(SUGGESTER::nearest("", names), "");
}

}  // namespace
}  // namespace vyr
