// The check pass over lines read from a file in blocks, or taken from a
// buffer one at a time, must write byte for byte the annotated copy, count the
// same findings and report them with the same line numbers as the pass over a
// loaded buffer, whatever the file holds; bytes in memory are cut into the
// lines that reading them as standard input gives.
#include "checker/orderlines.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "checker/ordersfile.h"
#include "support/datasettest.h"

namespace vyr {
namespace {

class FindingLog : public FINDINGSINK {
 public:
  void finding(const CHECKREPORT& report) override {
    log += std::to_string(report.line) + ":" + std::to_string(report.field) + ":" + std::to_string(report.position) +
           ":" + std::to_string(report.end) + ":" + std::string(report.echo) + ":" + std::string(report.message) +
           ":" + std::to_string(report.isWarning) + "\n";
  }
  std::string log;
};

struct Outcome {
  std::string annotated;
  int answer = -1;
  int errors = -1;
  int warnings = -1;
  std::string findings;
};

bool operator==(const Outcome& a, const Outcome& b) {
  return a.annotated == b.annotated && a.answer == b.answer && a.errors == b.errors &&
         a.warnings == b.warnings && a.findings == b.findings;
}

void PrintTo(const Outcome& o, std::ostream* out) {
  *out << "answer " << o.answer << ", errors " << o.errors << ", warnings " << o.warnings << "\n"
       << o.annotated << "--- findings\n"
       << o.findings;
}

// The pass as it runs on a loaded buffer: load, pre-pass, check, summary line.
Outcome throughBuffers(const std::string& path, int game) {
  BUFFER in;
  BUFFER out;
  (void)loadOrdersFile(path, in);
  SYNTAX syntax(0, 0);
  FindingLog log;
  syntax.setFindingSink(&log);
  Outcome o;
  o.answer = checkAndSummarise(syntax, in, out, game, &o.errors, &o.warnings);
  for (int n = 1; n <= out.lineCount(); ++n) {
    o.annotated += out.lineString(n)->view();
    o.annotated += '\n';
  }
  o.findings = log.log;
  return o;
}

Outcome throughText(ORDERLINES& lines, int game) {
  SYNTAX syntax(0, 0);
  FindingLog log;
  syntax.setFindingSink(&log);
  OUTTEXT text(16);
  Outcome o;
  o.answer = checkAndSummarise(syntax, lines, text, game, &o.errors, &o.warnings);
  o.annotated = text.view();
  o.findings = log.log;
  return o;
}

using OrderLinesTest = DataSetTest;

TEST_F(OrderLinesTest, StreamedAndHeldLinesGiveThePassOfTheLoadedBuffer) {
  std::string many = "#VYR 1\n";
  for (int n = 0; n < 5000; ++n) {
    many += n % 50 == 0 ? "SHIRE " + std::to_string(n % 9 + 1) + ",3\n" : "\tRECRUIT " + std::to_string(n) + " Pikemen\n";
    if (n % 97 == 0) many += "#-------> ERROR: Unrecognized Command.\n";
    if (n % 89 == 0) many += "TRADE 5 Grain;glued\n";
  }
  many += "#END\nafter the end\n";
  struct Case {
    const char* what;
    std::string bytes;
  };
  const Case cases[] = {
      {"header, orders, end line, lines around them",
       "before\n#VYR 1\nSHIRE 1,1\n  RECRUIT 40 Pikemen\n\nBANISH 3\n#END\nafter\n"},
      {"no header and no end line", "SHIRE 1,1\nRECRUIT 40 Pikemen\nMARCH 1,2 1,3\n"},
      {"a header only", "#vyr 7"},
      {"a header that is a check line is deleted, the next one counts",
       "#> Errors 1 #VYR\nnot checked\n xx #Vyr here\nTAX 10\n"},
      {"earlier check lines and the summary go",
       "#> Errors 2 Warnings 0\n#VYR 1\nBOGUS\n#> ERROR: Unrecognized Command.\n  #---> WARNING: x\nTAX 5\n"},
      {"a byte-order mark before the header", "\xEF\xBB\xBF#VYR 1\nTAX 5\n"},
      {"a byte-order mark before a check line", "\xEF\xBB\xBF#---> old\nTAX 5\n"},
      {"a byte-order mark before an order", "\xEF\xBB\xBFTAX 5\n"},
      {"tabs, glued comments, blanks, carriage returns",
       "#VYR\r\n\tSHIRE 1,1\t;c\r\nTAX 5;note\r\n   \r\n;only a comment\r\nFEED\t\tx\r\n#end\r\n"},
      {"NUL bytes and quotes", std::string("#VYR\nNAME \"My Land\"\nTAX 5\0junk\nNAME \"open\n", 43)},
      {"an end line before anything", "#END\nTAX 5\n"},
      {"a glued check marker", "#>;text\nTAX 1\n"},
      {"a long line", "#VYR\nNOTE " + std::string(100000, 'w') + "\nTAX x\n"},
      {"only check lines", "#--> a\n#> b\n"},
      {"many lines across blocks", many},
  };
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("orderlines-" + std::to_string(::getpid()) + ".txt"))
                               .string();
  for (const Case& c : cases) {
    for (const int game : {1, 2, 99}) {
      SCOPED_TRACE(std::string(c.what) + ", game " + std::to_string(game));
      std::ofstream(path, std::ios::binary) << c.bytes;
      const Outcome expected = throughBuffers(path, game);

      FILEORDERLINES file;
      ASSERT_EQ(file.open(path), 1);
      EXPECT_EQ(throughText(file, game), expected);

      BUFFER held;
      (void)loadOrdersFile(path, held);
      BUFFERORDERLINES fromBuffer(held, 0, 1);
      EXPECT_EQ(throughText(fromBuffer, game), expected);
    }
  }
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace vyr

namespace vyr {
namespace {

// The lines of bytes read as standard input is (the stream cut in pieces, the
// byte-order mark and the check lines dropped), each with its stream line.
std::vector<std::pair<std::string, int>> asStandardInput(const std::string& bytes) {
  BUFFER buffer;
  std::vector<int> sourceLines;
  if (std::FILE* stream = std::tmpfile()) {
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::rewind(stream);
    readOrderLines(stream, buffer, &sourceLines);
    std::fclose(stream);
  }
  dropByteOrderMark(buffer);
  std::vector<std::pair<std::string, int>> lines;
  for (int n = 1; n <= buffer.lineCount(); ++n) {
    if (!isCheckLine(*buffer.lineString(n))) lines.emplace_back(buffer.lineString(n)->text(), sourceLines[n - 1]);
  }
  return lines;
}

std::vector<std::pair<std::string, int>> walk(TEXTORDERLINES& lines) {
  std::vector<std::pair<std::string, int>> seen;
  std::string_view line;
  while (lines.next(line)) seen.emplace_back(line, lines.lineNumber());
  return seen;
}

TEST(TextOrderLines, CutsBytesAsStandardInputIsRead) {
  const std::string full(kStreamPiece, 'x');
  const std::string cases[] = {
      "",
      "\n",
      "#VYR 1\nSHIRE 1,1\r\n#---> ERROR: old\n\nTAX 5",
      "\xEF\xBB\xBF#> Errors 1 Warnings 0\nTAX 5\n",
      "\xEF\xBB\xBFTAX 5\n\xEF\xBB\xBFTAX 6\n",
      std::string("TAX 5\0junk\nNAME\0\0x\n\0\nlast\0", 26),
      full + "\n" + "TAX 1\n",                         // a full piece, then its newline alone
      full + "y\nTAX 2\n",                             // a line one longer than a piece
      full + full + "\n\n",                            // two full pieces, the newline, an empty line
      std::string(kStreamPiece - 1, 'z') + "\nTAX 3",  // a piece ended by its newline
      "A\n" + std::string(kStreamPiece, '#') + ">\nB\n",  // a check line's second piece
      std::string(40000, 'w') + std::string(1, '\0') + std::string(30000, 'v') + "\nC\n",
  };
  for (const std::string& bytes : cases) {
    SCOPED_TRACE(bytes.substr(0, 40));
    const auto expected = asStandardInput(bytes);
    TEXTORDERLINES lines(bytes);
    EXPECT_EQ(walk(lines), expected);
    ASSERT_EQ(lines.rewind(), 1);
    EXPECT_EQ(walk(lines), expected);
  }
}

}  // namespace
}  // namespace vyr
