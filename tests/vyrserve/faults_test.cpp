// vyrserve on game data it cannot serve: status 1 and one line on standard
// error naming the data and the reason, before it listens; it never prompts,
// never aborts, never writes to standard output. An order that reaches a
// fault of the command table, or any fault met in a check, fails only its own
// request, with 500.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <nlohmann/json.hpp>

#include "checker/syntax.h"
#include "support/faultsets.h"
#include "support/wholefile.h"
#include "text/fatal.h"
#include "vyrserve/enginecall.h"
#include "vyrserve/serverprocess.h"

namespace vyr {
namespace {

namespace fs = std::filesystem;

TEST(VyrserveFaults, EachDataFaultStopsTheStartWithOneLine) {
  const fs::path scratch = fs::temp_directory_path() / ("vyrserve_faults_" + std::to_string(getpid()));
  for (const FAULTSET& set : makeFaultSets(scratch / "sets")) {
    SCOPED_TRACE(set.what);
    std::ofstream(scratch / "answer") << "\n";  // what a prompt would take
    const std::string command = std::string("'") + VYR_VYRSERVE + "' --listen 127.0.0.1:0 --data '" + set.data +
                                "' >'" + (scratch / "out").string() + "' 2>'" + (scratch / "err").string() +
                                "' <'" + (scratch / "answer").string() + "'";
    const int raw = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(raw)) << "ended by signal " << WTERMSIG(raw);
    EXPECT_EQ(WEXITSTATUS(raw), 1);
    EXPECT_EQ(wholeFile(scratch / "out"), "");
    const std::string err = wholeFile(scratch / "err");
    ASSERT_FALSE(err.empty());
    EXPECT_EQ(err.find('\n'), err.size() - 1) << err;  // one line
    EXPECT_EQ(err.rfind("vyrserve: ", 0), 0U) << err;
    EXPECT_NE(err.find(set.data), std::string::npos) << err;
    EXPECT_NE(err.find(set.reason), std::string::npos) << err;
  }
  fs::remove_all(scratch);
}

TEST(VyrserveFaults, AnOrderReachingATableFaultFailsOnlyItsOwnRequest) {
  test::SERVERPROCESS server({"--data", std::string(VYR_TEST_DATA_DIR) + "/e2e/data/badkind"});
  const auto check = [&](const std::string& orders) {
    return test::post(server.port(), "/api/check", nlohmann::json{{"orders", orders}, {"game", 1}}.dump());
  };
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    test::RAWANSWER failed = check("SHIRE 1,1\nFLY 3\nBROKEN 3,3\nFLY 4\n");
    EXPECT_EQ(failed.status, 500);
    EXPECT_EQ(failed.headers["content-type"], "application/json; charset=utf-8");
    const nlohmann::json error = nlohmann::json::parse(failed.body, nullptr, false);
    ASSERT_TRUE(error.is_object()) << failed.body;
    EXPECT_EQ(error.size(), 2U) << failed.body;  // the format and the reason, no findings
    EXPECT_EQ(error.value("error", "").rfind("the check could not be completed: ", 0), 0U) << failed.body;
    const test::RAWANSWER fine = check("SHIRE 1,1\nFLY 3\n");
    EXPECT_EQ(fine.status, 200) << fine.body;
    EXPECT_NE(fine.body.find("\"errors\":"), std::string::npos) << fine.body;
  }
  EXPECT_EQ(test::get(server.port(), "/healthz").status, 200);
}

// A fault the library cannot continue from in the middle of a check (here the
// data to reload is gone) ends that check alone, and the next check on the same
// thread is whole.
TEST(VyrserveCheckFault, EndsThatCheckAloneAndTheNextIsWhole) {
  const fs::path archive = fs::temp_directory_path() / ("vyrserve_fault_" + std::to_string(getpid()) + ".dat");
  fs::copy_file(VYR_BUILT_ARCHIVE, archive, fs::copy_options::overwrite_existing);
  std::string error;
  ASSERT_EQ(loadServedData(archive.string(), error), 1) << error;
  installServedFaultHandler();
  const std::string orders = "#VYR 1\nSHIRE 12,3\n  RECRUIT 40 Pikemen\n  RECRUT 5\n#END\n";
  const CHECKRESULT before = checkServedOrders(orders, 1);
  releaseServedData();
  fs::remove(archive);
  const CHECKRESULT failed = checkServedOrders(orders, 1);
  fs::copy_file(VYR_BUILT_ARCHIVE, archive);
  const CHECKRESULT after = checkServedOrders(orders, 1);
  setFatalHandler(nullptr);
  releaseServedData();
  SYNTAX::setArchivePath("");
  fs::remove(archive);

  ASSERT_EQ(before.checked, 1) << before.reason;
  EXPECT_EQ(failed.checked, 0);
  EXPECT_NE(failed.reason.find("Unable to load"), std::string::npos) << failed.reason;
  EXPECT_EQ(after.checked, 1) << after.reason;
  EXPECT_EQ(after.annotated, before.annotated);
  EXPECT_EQ(after.errors, before.errors);
}

}  // namespace
}  // namespace vyr
