// The check pass over lines read from a file in blocks, or taken from a
// buffer one at a time, must write byte for byte the annotated copy, count the
// same findings and report them with the same line numbers as the pass over a
// loaded buffer, whatever the file holds.
#include "checker/orderlines.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
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
