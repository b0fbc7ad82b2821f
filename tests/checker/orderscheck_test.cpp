// The batch checker's per-file check on the small test data set: findings
// placed in the file as written (line numbers before the check-line deletion,
// columns through tabs, trimming and glued comments) and their suggestions.
#include "checker/orderscheck.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "checker/ordersfile.h"
#include "checker/paramkinds.h"
#include "checker/suggester.h"
#include "text/fieldparser.h"
#include "support/datasettest.h"

namespace vyr {
namespace {

using BatchCheck = DataSetTest;

// The line prepared by the pre-pass, with the origin it records.
LINEORIGIN prepared(const std::string& written, std::string& text) {
  BUFFER buffer;
  buffer.addLine(written);
  std::vector<LINEORIGIN> origins;
  SYNTAX checker(0, 0);
  checker.setOriginRecord(&origins);
  checker.prepareOrders(buffer);
  text = buffer.lineString(1)->text();
  return origins.at(0);
}

// The columns of every field of the echoed line, and the column of a missing one.
std::vector<int> fieldColumns(const std::string& written) {
  std::string text;
  const LINEORIGIN map = prepared(written, text);
  const std::string echo = "  " + text;
  const FIELDPARSER parser(echo, ' ', '"', 1, 1, 1);
  std::vector<int> columns;
  for (int n = 1; n <= parser.fieldCount(); ++n) columns.push_back(map.column(parser.fieldPosition(n)));
  columns.push_back(map.column(parser.fieldPosition(parser.fieldCount() + 1)));
  return columns;
}

TEST_F(BatchCheck, EchoPositionsMapToColumnsOfTheWrittenLine) {
  struct Case {
    const char* what;
    std::string written;
    std::vector<int> columns;  // each field, then one past the end
  };
  const Case cases[] = {
      {"plain", "SHIRE 12,3", {1, 7, 11}},
      {"leading tab and a tab between fields", "\tRECRUIT\t5 Archers", {2, 10, 12, 19}},
      {"blanks around and between", "   MARCH 40  Pikemen   ", {4, 10, 14, 24}},
      {"glued comment", "SHIRE 12,3;note", {1, 7, 11, 16}},
      {"tab before the glued comment", "RECRUIT\t40;x", {1, 9, 11, 13}},
      {"only the first ';' is spaced", "NOTE a;b;c", {1, 6, 7, 11}},
      {"quoted field starts at its quote", "PASSWORD \"two words\" x", {1, 10, 22, 23}},
      {"lone '@' marker", "@ RECRUIT 5", {1, 3, 11, 12}},
      {"carriage return is not a column", "NAME Bob\r", {1, 6, 9}},
      {"blank line", " \t ", {4}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(fieldColumns(c.written), c.columns) << c.what;
  }
}

TEST_F(BatchCheck, RecordingOriginsPreparesLinesAsThePlainPrePassDoes) {
  const std::vector<std::string> lines = {"SHIRE 12,3",
                                          "\tRECRUIT\t5 Archers",
                                          "   MARCH 40  Pikemen   ",
                                          "SHIRE 12,3;note",
                                          "RECRUIT\t40;x",
                                          ";note",
                                          "x ;y",
                                          "\t;tab comment",
                                          "NOTE a;b;c",
                                          "NAME Bob\r",
                                          " \t ",
                                          "",
                                          "\v\fA\t\t;"};
  BUFFER buffer;
  for (const std::string& line : lines) buffer.addLine(line);
  SYNTAX(0, 0).prepareOrders(buffer);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string text;
    const LINEORIGIN origin = prepared(lines[i], text);
    EXPECT_EQ(text, buffer.lineString(static_cast<int>(i) + 1)->text()) << i;
    EXPECT_EQ(origin.written, lines[i]) << i;
    ASSERT_EQ(origin.preparedLength(), static_cast<int>(text.size())) << i;
    for (std::size_t k = 0; k < text.size(); ++k) {
      // Each prepared byte is its written byte, a tab's space, or the space before a glued ';'.
      const char source = lines[i][static_cast<std::size_t>(origin.source(static_cast<int>(k)))];
      EXPECT_TRUE(source == text[k] || (text[k] == ' ' && (source == '\t' || source == ';'))) << i << ' ' << k;
    }
  }
}

struct Expected {
  int line;
  int column;
  std::string message;
  std::string suggestion;
};

std::vector<Expected> findingsOf(ORDERSCHECK& check) {
  std::vector<Expected> found;
  for (const FINDING& f : check.findings()) found.push_back({f.line, f.column, f.message, f.suggestion});
  return found;
}

bool operator==(const Expected& a, const Expected& b) {
  return a.line == b.line && a.column == b.column && a.message == b.message && a.suggestion == b.suggestion;
}

void PrintTo(const Expected& e, std::ostream* out) {
  *out << e.line << ':' << e.column << ' ' << e.message << " [" << e.suggestion << ']';
}

TEST_F(BatchCheck, FindingsPointIntoTheFileAsWritten) {
  const std::string orders =
      "\xEF\xBB\xBF#VYR 1\n"                   // 1: the byte-order mark goes, as in VyrSyn
      "  #---> ERROR: Location Is Invalid.\n"  // 2: deleted
      "SHIRE 12,3;home\n"                      // 3
      "\tRECRUIT 5 Pikemenn\n"                 // 4
      "#> Errors 1 Warnings 0\n"               // 5: deleted
      "   MARCH 40\r\n"                        // 6: the carriage return stays from a stream
      "RECRUT 5 Archers\n"                     // 7
      "PASSWORD \"ab\"\n"                      // 8
      "TRADE SELL 5 Orbb;x\n"                  // 9: Orb is of world 2 only
      "RECRUIT 5 Trols\n"                      // 10: Trolls too
      "#END\n";
  const SUGGESTER suggester(SYNTAX::gameData()->worldOfGame(1));
  ORDERSCHECK check(1, 0, &suggester);
  check.loadText(orders);
  check.check();
  const std::vector<Expected> expected = {
      {4, 12, "ERROR: Expected Unit Name.", "Pikemen"},
      {6, 10, "ERROR: Location Is Invalid.", ""},
      {6, 12, "ERROR: Expected More Parameters.", ""},
      {7, 1, "ERROR: Unrecognized Command.", "RECRUIT"},
      {8, 1, "WARNING: Global Orders Do Not Need To Be Under A Shire Orders.", ""},
      {8, 10, "WARNING: Password Seems A Bit Short.", ""},
      {9, 14, "ERROR: Invalid Artifact Type.", ""},
      {10, 11, "ERROR: Expected Unit Name.", ""},
  };
  EXPECT_EQ(findingsOf(check), expected);
  EXPECT_EQ(check.errors(), 6);
  EXPECT_EQ(check.warnings(), 2);
  EXPECT_EQ(check.annotated().substr(0, check.annotated().find('\n')), "#> Errors 6 Warnings 2");
}

TEST_F(BatchCheck, UnknownGameWarningPointsAtTheStartAndSuggestionsUseCommonNamesOnly) {
  ORDERSCHECK check(42, 0, nullptr);
  check.loadText("SHIRE 1,1\nRECRUIT 5 Trolls\n");
  check.check();
  ASSERT_EQ(check.findings().size(), 2U);
  EXPECT_EQ(check.findings()[0].line, 1);
  EXPECT_EQ(check.findings()[0].column, 1);
  EXPECT_EQ(check.findings()[0].severity, SEVERITY::kWarning);
  EXPECT_EQ(check.findings()[1].line, 2);

  const PARAMKIND* unit = findParameterKind("unit");
  const SUGGESTER common(0);
  EXPECT_EQ(common.suggest(FINDINGCODE::kUnknownName, unit, "Trols"), "");
  EXPECT_EQ(common.suggest(FINDINGCODE::kUnknownName, unit, "archer"), "Archers");
  const SUGGESTER second(2);
  EXPECT_EQ(second.suggest(FINDINGCODE::kUnknownName, unit, "Trols"), "Trolls");
  EXPECT_EQ(second.suggest(FINDINGCODE::kUnknownName, findParameterKind("spell"), "Frots"), "Frost");
  EXPECT_EQ(second.suggest(FINDINGCODE::kUnknownCommand, nullptr, "PATROLL"), "PATROL");
  // A known command, the hint of a name kind without its table, and codes that take no hint.
  EXPECT_EQ(second.suggest(FINDINGCODE::kUnknownCommand, nullptr, "SIGNAL"), "");
  EXPECT_EQ(second.suggest(FINDINGCODE::kUnknownName, nullptr, "Trols"), "");
  EXPECT_EQ(second.suggest(FINDINGCODE::kMissingParameters, nullptr, "SINGAL"), "");
  EXPECT_EQ(second.suggest(FINDINGCODE::kInvalidLocation, findParameterKind("loc"), "0,5"), "");
}

TEST_F(BatchCheck, FileLinesAreNumberedAsLoadedAndAMissingFileFails) {
  const std::string path = ::testing::TempDir() + "batchcheck_orders.txt";
  std::FILE* file = std::fopen(path.c_str(), "w");
  ASSERT_NE(file, nullptr);
  std::fputs("#---> old\r\n\r\nFLY\r\n", file);
  std::fclose(file);
  ORDERSCHECK check(1, 0, nullptr);
  ASSERT_EQ(check.loadFile(path), 1);
  check.check();
  ASSERT_EQ(check.findings().size(), 1U);
  EXPECT_EQ(check.findings()[0].line, 3);
  std::remove(path.c_str());
  ORDERSCHECK missing(1, 0, nullptr);
  EXPECT_EQ(missing.loadFile(path), 0);
}

TEST(BatchCheckInput, LongStreamLinesKeepTheirSourceLineNumber) {
  std::FILE* stream = std::tmpfile();
  ASSERT_NE(stream, nullptr);
  const std::string input = "A\n" + std::string(29999, 'x') + "\nB\n" + std::string(30000, 'y') + "\nC";
  std::fwrite(input.data(), 1, input.size(), stream);
  std::rewind(stream);
  BUFFER buffer;
  std::vector<int> sourceLines;
  readOrderLines(stream, buffer, &sourceLines);
  std::fclose(stream);
  EXPECT_EQ(sourceLines, (std::vector<int>{1, 2, 3, 4, 4, 5}));
  EXPECT_EQ(buffer.lineCount(), 6);
}

}  // namespace
}  // namespace vyr
