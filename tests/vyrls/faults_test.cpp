// The language server on a set-up it cannot check with: it answers
// initialize, shows the reason once, and marks every open file with one error
// at its first line, so that no broken set-up looks clean. On a fault of the
// command table it publishes the findings before the faulty order and one at
// it, and shows the reason once.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/faultsets.h"
#include "vyrls/lspclient.h"

namespace vyr {
namespace {

using json = nlohmann::json;

const std::vector<std::string> kUris = {"file:///tmp/a.txt", "file:///tmp/b.txt"};

// Opens the files, shuts the server down and answers every message it sent.
std::vector<json> serve(LSPCLIENT& client, const json& options, const std::vector<std::string>& texts) {
  const json result = client.start(options);
  EXPECT_TRUE(result.is_object()) << "initialize is answered";
  for (std::size_t k = 0; k < kUris.size(); ++k) {
    client.open(kUris[k], texts[k]);
    EXPECT_FALSE(client.diagnostics(kUris[k]).is_null()) << kUris[k];
  }
  client.request(99, "shutdown", nullptr);
  EXPECT_FALSE(client.response(99).is_null());
  client.notify("exit");
  EXPECT_EQ(client.exitStatus(), 0);
  return client.seen();
}

std::vector<json> withMethod(const std::vector<json>& messages, const std::string& method) {
  std::vector<json> found;
  for (const json& message : messages) {
    if (message.value("method", "") == method) found.push_back(message);
  }
  return found;
}

TEST(VyrlsFaults, EverySetUpFaultIsShownOnceAndMarksEveryFile) {
  const std::filesystem::path scratch =
      std::filesystem::temp_directory_path() / ("vyrls_faults_" + std::to_string(getpid()));
  std::vector<FAULTSET> sets = makeFaultSets(scratch);
  sets.push_back({"bad game number", "", "bad game number 'abc'"});
  for (const FAULTSET& set : sets) {
    SCOPED_TRACE(set.what);
    LSPCLIENT client(set.data.empty() ? std::vector<std::string>{"--game", "abc"} : std::vector<std::string>{});
    const json options = set.data.empty() ? json::object() : json{{"data", set.data}};
    const std::vector<json> seen = serve(client, options, {"RECRUT 5\n", "SHIRE 12,3\nRECRUIT 5 Pikemen\n"});
    const std::vector<json> shown = withMethod(seen, "window/showMessage");
    ASSERT_EQ(shown.size(), 1U);
    EXPECT_NE(shown[0]["params"]["message"].get<std::string>().find(set.reason), std::string::npos)
        << shown[0].dump();
    for (const json& published : withMethod(seen, "textDocument/publishDiagnostics")) {
      const json& marks = published["params"]["diagnostics"];
      ASSERT_EQ(marks.size(), 1U) << published.dump();
      EXPECT_EQ(marks[0]["range"]["start"]["line"], 0);
      EXPECT_EQ(marks[0]["severity"], 1);
      const std::string message = marks[0]["message"].get<std::string>();
      EXPECT_EQ(message.rfind("Not checked: ", 0), 0U) << message;
      EXPECT_NE(message.find(set.reason), std::string::npos) << message;
    }
  }
  std::filesystem::remove_all(scratch);
}

TEST(VyrlsFaults, ATableFaultKeepsTheFindingsBeforeTheOrderAndMarksIt) {
  LSPCLIENT client;
  const std::string data = std::string(VYR_TEST_DATA_DIR) + "/e2e/data/badkind";
  const std::string broken = "SHIRE 1,1\nFLY 3\nSTARRED 5\nBROKEN 3,3\nFLY 4\n";
  const std::vector<json> seen = serve(client, {{"data", data}}, {broken, broken});
  const std::vector<json> shown = withMethod(seen, "window/showMessage");
  ASSERT_EQ(shown.size(), 1U) << "the reason is shown once for all files";
  EXPECT_NE(shown[0]["params"]["message"].get<std::string>().find("'Loc' of BROKEN"), std::string::npos);
  for (const json& published : withMethod(seen, "textDocument/publishDiagnostics")) {
    std::vector<std::pair<int, std::string>> marks;
    for (const json& mark : published["params"]["diagnostics"]) {
      marks.emplace_back(mark["range"]["start"]["line"].get<int>(), mark["code"].get<std::string>());
    }
    // As vyrcheck reports the file: lines 2 to 4, the last one the fault.
    const std::vector<std::pair<int, std::string>> expected = {
        {1, "unknown-command"}, {2, "unknown-command"}, {3, "global-under-shire"}, {3, "table-fault"}};
    EXPECT_EQ(marks, expected) << published.dump();
  }
}

}  // namespace
}  // namespace vyr
