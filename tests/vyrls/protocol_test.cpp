// The language server driven through its standard input and output, as an
// editor drives it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "vyrls/lspclient.h"

namespace vyr {
namespace {

using json = nlohmann::json;

const std::string kUri = "file:///tmp/orders.txt";

// Non-ASCII text (an umlaut, a character outside the BMP) stands before
// faults and inside a faulty field.
const std::string kOrders =
    "#VYR Game 1  Grüne Kompanie\n"
    "PASSWORD Kestrel7\n"
    "RENAME \"Grünwald 😀\" extra\n"
    "FORGE 1 \"Dörn😀helm\"\n"
    "STUDY Ice\n"
    "SHIRE 12,3\n"
    "  NOTE für 😀 alle\n"
    "  RECRUIT 40 Pikemenn ; 😀\n"
    "  MARCH 40 Pikemen 12,9\n"
    "#END\n";

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> all;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) all.push_back(line);
  return all;
}

// vyrcheck's JSON findings for the text saved as a file.
std::vector<json> vyrcheckFindings(const std::string& text) {
  // One file per test process: ctest runs the tests of this suite side by side.
  const std::string path = testing::TempDir() + "/vyrls_orders_" + std::to_string(getpid()) + ".txt";
  std::ofstream(path, std::ios::binary) << text;
  const std::string command =
      std::string(VYR_VYRCHECK) + " --data " + VYR_BUILT_ARCHIVE + " --format json " + path;
  std::FILE* pipe = popen(command.c_str(), "r");
  std::string output;
  char block[4096];
  for (std::size_t got; (got = std::fread(block, 1, sizeof block, pipe)) > 0;) output.append(block, got);
  pclose(pipe);
  std::remove(path.c_str());
  std::vector<json> findings;
  for (const std::string& line : lines(output)) {
    json record = json::parse(line);
    if (record["type"] == "finding") findings.push_back(record);
  }
  return findings;
}

// The character offset of a 1-based byte column, counted in UTF-16 units or bytes.
long long characterOf(const std::string& line, int column, bool utf16) {
  long long units = 0;
  for (std::size_t at = 0; at + 1 < static_cast<std::size_t>(column) && at < line.size(); ++at) {
    const auto c = static_cast<unsigned char>(line[at]);
    if (!utf16) {
      ++units;
    } else if ((c & 0xC0) != 0x80) {
      units += c >= 0xF0 ? 2 : 1;
    }
  }
  return units;
}

const std::string kExampleCodes = "https://example.org/codes.md";

json diagnosticsOf(const json& message) {
  return message.is_null() ? json() : message["params"]["diagnostics"];
}

// The diagnostics must be vyrcheck's findings one for one: the same lines,
// spans, severities, codes, messages and suggestions.
void expectSameAsVyrcheck(const std::string& text, const json& diagnostics, bool utf16,
                          const std::string& codesUrl = kExampleCodes) {
  const std::vector<json> expected = vyrcheckFindings(text);
  const std::vector<std::string> textLines = lines(text);
  ASSERT_TRUE(diagnostics.is_array());
  ASSERT_EQ(diagnostics.size(), expected.size()) << diagnostics.dump(1);
  for (std::size_t k = 0; k < expected.size(); ++k) {
    const json& finding = expected[k];
    const json& diagnostic = diagnostics[k];
    const int line = finding["line"].get<int>();
    SCOPED_TRACE(diagnostic.dump());
    EXPECT_EQ(diagnostic["range"]["start"]["line"], line - 1);
    const std::string& written = textLines[static_cast<std::size_t>(line - 1)];
    EXPECT_EQ(diagnostic["range"]["start"]["character"],
              characterOf(written, finding["column"].get<int>(), utf16));
    EXPECT_EQ(diagnostic["range"]["end"]["line"], line - 1);
    EXPECT_EQ(diagnostic["range"]["end"]["character"],
              characterOf(written, finding["end_column"].get<int>(), utf16));
    EXPECT_EQ(diagnostic.value("code", ""), finding.value("code", ""));
    EXPECT_EQ(diagnostic["severity"], finding["severity"] == "error" ? 1 : finding["severity"] == "warning" ? 2 : 3);
    EXPECT_EQ(diagnostic["message"], finding["message"]);
    EXPECT_EQ(diagnostic["source"], "vyr");
    if (finding["suggestion"].is_string()) {
      EXPECT_EQ(diagnostic["data"]["suggestion"], finding["suggestion"]);
    } else {
      EXPECT_FALSE(diagnostic.contains("data"));
    }
    if (diagnostic.contains("code")) {
      EXPECT_EQ(diagnostic.value("codeDescription", json::object()).value("href", ""),
                codesUrl + "#" + diagnostic["code"].get<std::string>());
    }
  }
}

TEST(VyrlsProtocol, LifeCycleEndsWithTheStatusOfShutdown) {
  struct CASE {
    bool shutdown;
    bool exit;  // false: the input ends instead
    int status;
  };
  for (const CASE c : {CASE{true, true, 0}, CASE{false, true, 1}, CASE{true, false, 0}, CASE{false, false, 1}}) {
    SCOPED_TRACE(std::to_string(c.shutdown) + std::to_string(c.exit));
    LSPCLIENT client;
    const json result = client.start();
    ASSERT_TRUE(result.is_object());
    EXPECT_EQ(result["capabilities"]["positionEncoding"], "utf-16");
    EXPECT_EQ(result["capabilities"]["textDocumentSync"]["change"], 2);
    if (c.shutdown) {
      client.request(2, "shutdown", nullptr);
      const json answer = client.response(2);
      ASSERT_TRUE(answer.contains("result"));
      EXPECT_TRUE(answer["result"].is_null());
      client.request(3, "textDocument/hover", json::object());
      EXPECT_EQ(client.response(3)["error"]["code"], -32600);
    }
    if (c.exit) {
      client.notify("exit");
    } else {
      client.closeInput();
    }
    EXPECT_EQ(client.exitStatus(), c.status);
  }
}

TEST(VyrlsProtocol, DiagnosticsAreVyrchecksFindingsInTheNegotiatedEncoding) {
  struct CASE {
    json capabilities;
    std::string encoding;
  };
  const CASE cases[] = {
      {json::object(), "utf-16"},
      {{{"general", {{"positionEncodings", {"utf-16"}}}}}, "utf-16"},
      {{{"general", {{"positionEncodings", {"utf-8", "utf-16"}}}}}, "utf-8"},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.encoding);
    LSPCLIENT client;
    const json result = client.start({{"codesUrl", kExampleCodes}}, c.capabilities);
    ASSERT_EQ(result["capabilities"]["positionEncoding"], c.encoding);
    client.open(kUri, kOrders, 7);
    const json published = client.diagnostics(kUri, 7);
    ASSERT_FALSE(published.is_null());
    expectSameAsVyrcheck(kOrders, diagnosticsOf(published), c.encoding == "utf-16");
  }
}

// Without a codes URL the codes link to the guide beside the program: from
// the build directory, the source tree's.
TEST(VyrlsProtocol, TheExampleOrdersGiveVyrchecksFindings) {
  const std::string text = slurp(std::string(VYR_SOURCE_DIR) + "/examples/orders-mistakes.txt");
  LSPCLIENT client;
  client.start();
  client.open(kUri, text);
  expectSameAsVyrcheck(text, diagnosticsOf(client.diagnostics(kUri, 1)), true,
                       "file://" + std::string(VYR_SOURCE_DIR) + "/doc/codes.md");
}

// Edits in UTF-16 positions, each checked against vyrcheck on the text the
// edits give, so that a misread edit shows as a difference.
TEST(VyrlsProtocol, IncrementalAndFullChangesKeepClientAndServerInStep) {
  struct EDIT {
    const char* what;
    json change;
    std::string text;  // the whole text after the edit
  };
  const std::string afterFirst =
      "#VYR Game 1  Grüne Kompanie\n"
      "PASSWORD Kestrel7\n"
      "RENAME \"Grünwald 😀\" extra\n"
      "FORGE 1 \"Dörn😀helm\"\n"
      "STUDY Ice\n"
      "SHIRE 12,3\n"
      "  NOTE für 😀 alle\n"
      "  RECRUIT 40 Pikemen ; 😀\n"
      "  MARCH 40 Pikemen 12,9\n"
      "#END\n";
  std::string afterSecond = afterFirst;
  afterSecond.replace(afterSecond.find("Dörn😀helm"), std::string("Dörn😀helm").size(), "Dörn😀😀x");
  std::string afterThird = afterSecond;
  afterThird.replace(afterThird.find("12,9"), 4, "12,4\n  RECRUIT 5 Archers");
  const std::string afterFourth = "SHIRE 12,3\r\n  RECRUIT 1 Ärcher\r\n";
  const EDIT edits[] = {
      {"delete one letter of a line",
       {{"range", {{"start", {{"line", 7}, {"character", 19}}}, {"end", {{"line", 7}, {"character", 20}}}}},
        {"text", ""}},
       afterFirst},
      // "FORGE 1 "Dörn😀" is 15 UTF-16 units; "helm" follows.
      {"replace after a surrogate pair",
       {{"range", {{"start", {{"line", 3}, {"character", 15}}}, {"end", {{"line", 3}, {"character", 19}}}}},
        {"text", "😀x"}},
       afterSecond},
      {"insert a line break",
       {{"range", {{"start", {{"line", 8}, {"character", 22}}}, {"end", {{"line", 8}, {"character", 23}}}}},
        {"text", "4\n  RECRUIT 5 Archers"}},
       afterThird},
      {"replace the whole text", {{"text", afterFourth}}, afterFourth},
  };
  LSPCLIENT client({"--codes-url", "file:///doc/codes.md"});
  client.start();
  client.open(kUri, kOrders, 1);
  ASSERT_FALSE(client.diagnostics(kUri, 1).is_null());
  long long version = 1;
  for (const EDIT& edit : edits) {
    SCOPED_TRACE(edit.what);
    ++version;
    client.notify("textDocument/didChange", {{"textDocument", {{"uri", kUri}, {"version", version}}},
                                             {"contentChanges", json::array({edit.change})}});
    const json published = client.diagnostics(kUri, version);
    ASSERT_FALSE(published.is_null());
    expectSameAsVyrcheck(edit.text, diagnosticsOf(published), true, "file:///doc/codes.md");
  }
  client.notify("textDocument/didClose", {{"textDocument", {{"uri", kUri}}}});
  const json cleared = client.diagnostics(kUri);
  ASSERT_FALSE(cleared.is_null());
  EXPECT_EQ(diagnosticsOf(cleared), json::array());
}

TEST(VyrlsProtocol, AChangedGameNumberChecksEveryDocumentAgain) {
  LSPCLIENT client;
  client.start({{"game", 1}});
  client.open(kUri, "PASSWORD Kestrel7\n");
  client.open(kUri + "2", "PASSWORD Kestrel7\n");
  EXPECT_EQ(diagnosticsOf(client.diagnostics(kUri, 1)), json::array());
  EXPECT_EQ(diagnosticsOf(client.diagnostics(kUri + "2", 1)), json::array());
  client.notify("workspace/didChangeConfiguration", {{"settings", {{"vyr", {{"game", 999}}}}}});
  for (const std::string& uri : {kUri, kUri + "2"}) {
    const json diagnostics = diagnosticsOf(client.diagnostics(uri, 1));
    ASSERT_EQ(diagnostics.size(), 1u) << diagnostics.dump();
    EXPECT_EQ(diagnostics[0]["severity"], 2);
    EXPECT_NE(diagnostics[0]["message"].get<std::string>().find("Game Number"), std::string::npos);
  }
}

// A setting of the wrong shape is named in a warning and passed over; the
// settings of other servers and an empty configuration draw nothing.
TEST(VyrlsProtocol, SettingsOfTheWrongShapeAreNamed) {
  struct CASE {
    const char* what;
    json initializationOptions;  // besides the data
    json settings;               // sent afterwards unless null
    std::string shown;           // in the warning; "" for none
    int game;                    // the game then checked
  };
  const CASE cases[] = {
      {"a game as text",
       {{"game", "7"}},
       nullptr,
       "\"game\" must be a whole number, such as 7, not \"7\"",
       1},
      {"a misspelt key", {{"gmae", 7}}, nullptr, "\"gmae\" is no setting", 1},
      {"a section in the options", {{"vyr", {{"game", 7}}}}, nullptr, "", 7},
      {"a bad section in the options",
       {{"vyr", {{"game", 7.5}}}},
       nullptr,
       "\"vyr.game\" must be a whole number",
       1},
      {"data that is no text", {{"codesUrl", 3}}, nullptr, "\"codesUrl\" must be a text", 1},
      {"an empty configuration", json::object(), json::object(), "", 1},
      {"another server's section", json::object(), {{"python", {{"game", "x"}}}}, "", 1},
      {"the game outside its section",
       json::object(),
       {{"game", 7}},
       "\"game\" stands outside the section \"vyr\": send {\"vyr\": {\"game\": 7}}",
       1},
      {"a game as text in the section",
       json::object(),
       {{"vyr", {{"game", "7"}}}},
       "\"vyr.game\" must be a whole number, such as 7, not \"7\"",
       1},
      {"a section that is no object", json::object(), {{"vyr", 7}}, "\"vyr\" must be an object", 1},
      {"data changed while running",
       json::object(),
       {{"vyr", {{"data", "/tmp"}, {"game", 7}}}},
       "\"vyr.data\" is read at start only",
       7},
      {"a good game", json::object(), {{"vyr", {{"game", 7}}}}, "", 7},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.what);
    LSPCLIENT client;
    ASSERT_TRUE(client.start(c.initializationOptions).is_object());
    if (!c.settings.is_null()) client.notify("workspace/didChangeConfiguration", {{"settings", c.settings}});
    // "Thornhelm" is an artifact of world 2, where game 7 is played.
    client.open(kUri, "FORGE 1 Thornhelm\n");
    const json diagnostics = diagnosticsOf(client.diagnostics(kUri, 1));
    EXPECT_EQ(diagnostics.empty(), c.game == 7) << diagnostics.dump();
    std::vector<std::string> shown;
    for (const json& message : client.seen()) {
      if (message.value("method", "") == "window/showMessage") shown.push_back(message["params"]["message"]);
    }
    if (c.shown.empty()) {
      EXPECT_TRUE(shown.empty()) << shown.front();
      continue;
    }
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].find(c.shown), std::string::npos) << shown[0];
    EXPECT_NE(shown[0].find("checked for game " + std::to_string(c.game)), std::string::npos) << shown[0];
  }
}

// The header's game number against the one checked: a hint on the number,
// which goes when the game is switched.
TEST(VyrlsProtocol, TheHeaderNamingAnotherGameDrawsAHint) {
  LSPCLIENT client;
  client.start();
  client.open(kUri, "#VYR Game 7  Ember Company\nFORGE 1 Thornhelm\n");
  const json before = diagnosticsOf(client.diagnostics(kUri, 1));
  ASSERT_EQ(before.size(), 3u) << before.dump();  // the name of world 2, its note, and the hint
  EXPECT_EQ(before[2]["severity"], 4);
  EXPECT_EQ(before[2]["range"],
            json::parse(R"({"start":{"line":0,"character":10},"end":{"line":0,"character":11}})"));
  client.notify("workspace/didChangeConfiguration", {{"settings", {{"vyr", {{"game", 7}}}}}});
  EXPECT_EQ(diagnosticsOf(client.diagnostics(kUri, 1)), json::array());
}

std::vector<std::string> labels(const json& answer) {
  std::vector<std::string> all;
  for (const json& item : answer["result"]["items"]) all.push_back(item["label"]);
  return all;
}

TEST(VyrlsProtocol, CompletionOffersWhatTheNextSlotAccepts) {
  struct CASE {
    const char* line;
    std::vector<std::string> some;  // labels that must be offered
    std::vector<std::string> none;  // labels that must not
    bool empty;
  };
  const CASE cases[] = {
      {"", {"RECRUIT", "SHIRE", "TRADE", "PASSWORD"}, {"Pikemen"}, false},
      {"REC", {"RECRUIT"}, {}, false},
      {"RECRUIT 40 ", {"Pikemen", "Archers"}, {"RECRUIT", "BUY"}, false},
      {"TRADE ", {"BUY", "SELL"}, {"Grain"}, false},
      {"TRADE BUY 500 ", {"Grain"}, {"BUY"}, false},
      {"@ RECRUIT 40 ", {"Pikemen"}, {}, false},
      {"NOTE ", {}, {}, true},
      {"; RECRUIT ", {}, {}, true},
      {"BANISH ", {}, {}, true},
      {"RECRUIT ", {}, {}, true},
      {"STUDY ", {"Fire", "Spellcraft"}, {}, false},
      {"EXPLORE ", {"BOLD"}, {}, false},
      {"TAX ", {"LOW"}, {}, false},
      {"ALLY 17 ", {"YES", "NO"}, {}, false},
      {"CAST 2 Summon 20 ", {"Pikemen"}, {"Gold"}, false},
      {"rec", {"RECRUIT"}, {}, false},
  };
  LSPCLIENT client;
  client.start();
  int id = 10;
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.line);
    const std::string text = std::string("SHIRE 12,3\n") + c.line + "\n";
    client.notify("textDocument/didClose", {{"textDocument", {{"uri", kUri}}}});
    client.open(kUri, text);
    client.request(++id, "textDocument/completion",
                   {{"textDocument", {{"uri", kUri}}},
                    {"position", {{"line", 1}, {"character", std::string(c.line).size()}}}});
    const json answer = client.response(id);
    const std::vector<std::string> offered = labels(answer);
    if (c.empty) {
      EXPECT_TRUE(offered.empty()) << answer.dump();
    }
    for (const std::string& label : c.some)
      EXPECT_NE(std::find(offered.begin(), offered.end(), label), offered.end()) << label;
    for (const std::string& label : c.none)
      EXPECT_EQ(std::find(offered.begin(), offered.end(), label), offered.end()) << label;
  }
}

TEST(VyrlsProtocol, CompletedCommandsShowTheirSlotsAndTheScopeNote) {
  struct CASE {
    std::string text;
    long long line;
    std::string command;
    std::string detail;
    std::string note;  // "" for none
    std::string filterText;
  };
  const CASE cases[] = {
      {"\n", 0, "RECRUIT", "S RECRUIT unitamt unit", "shire order outside a SHIRE: an error here", "RECRUIT"},
      {"SHIRE 12,3\n\n", 1, "RECRUIT", "S RECRUIT unitamt unit", "", "RECRUIT"},
      {"SHIRE 12,3\n\n", 1, "SURVEY", "G SURVEY region", "global order inside a SHIRE: a warning here", "SURVEY"},
      {"SHIRE 12,3\n\n", 1, "RENAME", "C RENAME name", "city order inside a SHIRE: a warning here", "RENAME"},
      {"\n", 0, "TRADE", "S TRADE BUY resamt res | S TRADE SELL resamt res",
       "shire order outside a SHIRE: an error here", "TRADE"},
      // Typed in lower case: the filter text starts as typed, so that a
      // client matching prefixes exactly keeps the item.
      {"SHIRE 12,3\nrec\n", 1, "RECRUIT", "S RECRUIT unitamt unit", "", "recRUIT"},
      {"SHIRE 12,3\n@Tra\n", 1, "TRADE", "S TRADE BUY resamt res | S TRADE SELL resamt res", "", "@TraDE"},
  };
  LSPCLIENT client;
  client.start();
  int id = 10;
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.command);
    client.notify("textDocument/didClose", {{"textDocument", {{"uri", kUri}}}});
    client.open(kUri, c.text);
    const std::size_t lineStart = c.text.rfind('\n', c.text.size() - 2) + 1;  // the last line, as typed
    const long long typed = c.line == 0 ? 0 : static_cast<long long>(c.text.size() - 1 - lineStart);
    client.request(++id, "textDocument/completion",
                   {{"textDocument", {{"uri", kUri}}}, {"position", {{"line", c.line}, {"character", typed}}}});
    const json answer = client.response(id);
    json found;
    for (const json& item : answer["result"]["items"]) {
      if (item["label"] == c.command) found = item;
    }
    ASSERT_FALSE(found.is_null()) << answer.dump();
    EXPECT_EQ(found["detail"], c.detail);
    EXPECT_EQ(found.contains("labelDetails") ? found["labelDetails"]["description"].get<std::string>() : "",
              c.note);
    EXPECT_EQ(found["filterText"], c.filterText);
  }
}

TEST(VyrlsProtocol, HoverExplainsCommandsAndNames) {
  struct CASE {
    long long line;
    long long character;
    std::vector<std::string> parts;  // texts the hover holds; none: no hover
  };
  const std::string text =
      "SHIRE 12,3\n  TRADE BUY 500 Grain\n  RECRUIT 40 Pikemen\n  ; RECRUIT\n  TRAIN TROOPS 25 Archers\n"
      "  TRADE SELL 200 Grain\n  RECRUT 5 Scouts\n  CAST 2 Summon 20 Pikemen\n";
  const CASE cases[] = {
      {1,
       3,
       {"**TRADE**", "`S TRADE BUY resamt res`: shire order", "`S TRADE SELL resamt res`",
        "`resamt`: ", "`res`: "}},
      {2, 14, {"**Pikemen**: unit", "PK"}},
      {2, 9, {"`unitamt`: "}},
      {3, 5, {}},
      {1, 0, {}},
      {4, 9, {"`TROOPS`: a keyword of `S TRAIN TROOPS unitamt unit`"}},
      {5, 8, {"`S TRADE SELL resamt res`"}},
      {6, 3, {"Unrecognized Command.", "Did you mean `RECRUIT`?"}},
      {7, 17, {"`unitamt`: "}},
  };
  LSPCLIENT client;
  client.start();
  client.open(kUri, text);
  int id = 10;
  for (const CASE& c : cases) {
    SCOPED_TRACE(std::to_string(c.line) + ":" + std::to_string(c.character));
    client.request(
        ++id, "textDocument/hover",
        {{"textDocument", {{"uri", kUri}}}, {"position", {{"line", c.line}, {"character", c.character}}}});
    const json answer = client.response(id);
    ASSERT_TRUE(answer.contains("result"));
    if (c.parts.empty()) {
      EXPECT_TRUE(answer["result"].is_null()) << answer.dump();
      continue;
    }
    const std::string value = answer["result"]["contents"]["value"];
    for (const std::string& part : c.parts)
      EXPECT_NE(value.find(part), std::string::npos) << part << " in " << value;
  }
}

TEST(VyrlsProtocol, AQuickFixReplacesTheFieldByTheSuggestion) {
  LSPCLIENT client;
  client.start();
  const std::string text = "SHIRE 12,3\n  RECRUIT 40 Pikemenn\n";
  client.open(kUri, text);
  const json diagnostics = diagnosticsOf(client.diagnostics(kUri, 1));
  ASSERT_EQ(diagnostics.size(), 1u) << diagnostics.dump();
  ASSERT_EQ(diagnostics[0]["data"]["suggestion"], "Pikemen");
  client.request(2, "textDocument/codeAction",
                 {{"textDocument", {{"uri", kUri}}},
                  {"range", diagnostics[0]["range"]},
                  {"context", {{"diagnostics", diagnostics}}}});
  const json actions = client.response(2)["result"];
  ASSERT_EQ(actions.size(), 1u) << actions.dump();
  EXPECT_EQ(actions[0]["kind"], "quickfix");
  const json edit = actions[0]["edit"]["changes"][kUri][0];
  EXPECT_EQ(edit["newText"], "Pikemen");
  EXPECT_EQ(edit["range"], diagnostics[0]["range"]);
  // A finding without a suggestion gives no fix, whatever its message says.
  json plain = diagnostics[0];
  plain.erase("data");
  client.request(3, "textDocument/codeAction",
                 {{"textDocument", {{"uri", kUri}}},
                  {"range", plain["range"]},
                  {"context", {{"diagnostics", {plain}}}}});
  EXPECT_EQ(client.response(3)["result"], json::array());
}

// The fix's range is the faulty word alone: an '@' marker stays, and the
// fixed lists get their hints as the data's names do.
TEST(VyrlsProtocol, AQuickFixReplacesOnlyTheFaultyWord) {
  struct CASE {
    std::string line;
    int start;
    int end;
    std::string newText;
  };
  const CASE cases[] = {
      {"@RECRUT 5 Scouts", 1, 7, "RECRUIT"},
      {"@ RECRUT 5 Scouts", 2, 8, "RECRUIT"},
      {"EXPLORE Cautios", 8, 15, "CAUTIOUS"},
      {"STUDY Fyre", 6, 10, "Fire"},
  };
  LSPCLIENT client;
  client.start();
  int id = 1;
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.line);
    const std::string uri = "file:///tmp/fix" + std::to_string(id) + ".txt";
    client.open(uri, "SHIRE 12,3\n" + c.line + "\n");
    json diagnostics = json::array();
    for (const json& diagnostic : diagnosticsOf(client.diagnostics(uri, 1))) {
      if (diagnostic.contains("data")) diagnostics.push_back(diagnostic);
    }
    ASSERT_EQ(diagnostics.size(), 1u) << diagnostics.dump();
    client.request(++id, "textDocument/codeAction",
                   {{"textDocument", {{"uri", uri}}},
                    {"range", diagnostics[0]["range"]},
                    {"context", {{"diagnostics", diagnostics}}}});
    const json actions = client.response(id)["result"];
    ASSERT_EQ(actions.size(), 1u) << actions.dump();
    const json edit = actions[0]["edit"]["changes"][uri][0];
    EXPECT_EQ(edit["newText"], c.newText);
    EXPECT_EQ(edit["range"]["start"], json({{"line", 1}, {"character", c.start}}));
    EXPECT_EQ(edit["range"]["end"], json({{"line", 1}, {"character", c.end}}));
  }
}


// "line:name[selection start-end](range end line){children}" of symbols:
// the shape, the places and the compactness (no empty children, no detail).
std::string symbolShape(const json& symbols) {
  std::string shape;
  for (const json& symbol : symbols) {
    if (!shape.empty()) shape += " ";
    shape += std::to_string(symbol["range"]["start"]["line"].get<int>()) + ":" + symbol["name"].get<std::string>() +
             "[" + std::to_string(symbol["selectionRange"]["start"]["character"].get<int>()) + "-" +
             std::to_string(symbol["selectionRange"]["end"]["character"].get<int>()) + "](" +
             std::to_string(symbol["range"]["end"]["line"].get<int>()) + ")";
    if (symbol.contains("children")) {
      EXPECT_FALSE(symbol["children"].empty()) << symbol.dump();
      shape += "{" + symbolShape(symbol["children"]) + "}";
    }
    EXPECT_FALSE(symbol.contains("detail")) << symbol.dump();
  }
  return shape;
}

// Semantic tokens as "line:start+length=type" from the check's own view of
// each field: the command, and each slot's keyword, name, number or text.
TEST(VyrlsProtocol, SemanticTokensFollowTheChecksFields) {
  struct CASE {
    const char* what;
    std::string text;
    std::string tokens;
  };
  const CASE cases[] = {
      {"header, shire, an order with a name and a comment",
       "#VYR 1\nSHIRE 12,3\n  RECRUIT 40 Pikemen ; more\n",
       "0:0+4=macro 0:5+1=macro 1:0+5=function 1:6+4=number 2:2+7=function 2:10+2=number 2:13+7=variable "
       "2:21+6=comment"},
      {"a keyword slot and a closed list", "#VYR 1\nSHIRE 12,3\nTRAIN TROOPS 25 Archers\nTAX HIGH\n",
       "0:0+4=macro 0:5+1=macro 1:0+5=function 1:6+4=number 2:0+5=function 2:6+6=keyword 2:13+2=number "
       "2:16+7=variable 3:0+3=function 3:4+4=keyword"},
      {"a glued marker is no part of the command; columns in UTF-16 units",
       "#VYR 1\nSHIRE 12,3\n@RECRUIT 5 Pikemen\nNOTE \xF0\x9F\x98\x80 x\n",
       "0:0+4=macro 0:5+1=macro 1:0+5=function 1:6+4=number 2:1+7=function 2:9+1=number 2:11+7=variable "
       "3:0+4=function 3:5+2=string 3:8+1=string"},
      {"nothing past an unknown command", "#VYR 1\nRECRUT 5 Pikemen\n", "0:0+4=macro 0:5+1=macro 1:0+6=function"},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.what);
    LSPCLIENT client;
    const json init = client.start();
    const json legend = init["capabilities"]["semanticTokensProvider"]["legend"]["tokenTypes"];
    client.open(kUri, c.text);
    client.request(2, "textDocument/semanticTokens/full", {{"textDocument", {{"uri", kUri}}}});
    const json data = client.response(2)["result"]["data"];
    std::string shown;
    int line = 0;
    int start = 0;
    for (std::size_t k = 0; k + 4 < data.size(); k += 5) {
      start = data[k] == 0 ? start + data[k + 1].get<int>() : data[k + 1].get<int>();
      line += data[k].get<int>();
      if (!shown.empty()) shown += " ";
      shown += std::to_string(line) + ":" + std::to_string(start) + "+" + std::to_string(data[k + 2].get<int>()) +
               "=" + legend[data[k + 3].get<std::size_t>()].get<std::string>();
    }
    EXPECT_EQ(shown, c.tokens);
  }
}

TEST(VyrlsProtocol, SymbolsOutlineEveryOrder) {
  struct CASE {
    const char* what;
    std::string text;
    std::string shape;
  };
  const CASE cases[] = {
      {"global orders under the header, shire orders under their SHIRE",
       "#VYR Game 1\nPASSWORD x\nSHIRE 12,3\n  RECRUIT 40 Pikemen ; more\n\n  ; note\n  MARCH 4 Pikemen 12,4\n"
       "SHIRE 12,4\n#END\nSHIRE 1,1\n",
       "0:#VYR Game 1[0-11](7){1:PASSWORD x[0-10](1) 2:SHIRE 12,3[0-10](6){3:RECRUIT 40 Pikemen[2-20](3) "
       "6:MARCH 4 Pikemen 12,4[2-22](6)} 7:SHIRE 12,4[0-10](7)}"},
      {"a shire order before any SHIRE stands under the header",
       "#VYR 1\nRECRUIT 5 Pikemen\nSHIRE 12,3\n",
       "0:#VYR 1[0-6](2){1:RECRUIT 5 Pikemen[0-17](1) 2:SHIRE 12,3[0-10](2)}"},
      {"without a header the orders are the outline",
       "PASSWORD x\nSHIRE 1,2\nRECRUIT 3 Pikemen\n",
       "0:PASSWORD x[0-10](0) 1:SHIRE 1,2[0-9](2){2:RECRUIT 3 Pikemen[0-17](2)}"},
      {"the header alone", "#VYR 1\n", "0:#VYR 1[0-6](0)"},
      {"the name counted in UTF-16 units", "\xF0\x9F\x98\x80 NOTE \xC3\xA9\n",
       "0:\xF0\x9F\x98\x80 NOTE \xC3\xA9[0-9](0)"},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.what);
    LSPCLIENT client;
    client.start();
    client.open(kUri, c.text);
    client.request(2, "textDocument/documentSymbol", {{"textDocument", {{"uri", kUri}}}});
    EXPECT_EQ(symbolShape(client.response(2)["result"]), c.shape);
  }
}

// An outline asked for before an edit waits for the edit's marks, and one
// cancelled while it waits is answered with RequestCancelled: the requests,
// the cancellation and the edit come in one burst, and the messages the
// server sends must come in this order.
TEST(VyrlsProtocol, ALaterEditIsMarkedBeforeAWaitingOutline) {
  LSPCLIENT client;
  client.start();
  std::string text = "#VYR 1\nSHIRE 12,3\n";
  for (int k = 0; k < 3000; ++k) text += "RECRUIT 40 Pikemen\n";
  client.open(kUri, text);
  ASSERT_FALSE(client.diagnostics(kUri, 1).is_null());
  std::string burst;
  for (const json& message :
       {json{{"jsonrpc", "2.0"}, {"id", 7}, {"method", "textDocument/documentSymbol"},
             {"params", {{"textDocument", {{"uri", kUri}}}}}},
        json{{"jsonrpc", "2.0"}, {"method", "$/cancelRequest"}, {"params", {{"id", 7}}}},
        json{{"jsonrpc", "2.0"}, {"id", 8}, {"method", "textDocument/documentSymbol"},
             {"params", {{"textDocument", {{"uri", kUri}}}}}},
        json{{"jsonrpc", "2.0"}, {"method", "$/cancelRequest"}, {"params", {{"id", 99}}}},
        json{{"jsonrpc", "2.0"}, {"method", "textDocument/didChange"},
             {"params", {{"textDocument", {{"uri", kUri}, {"version", 2}}},
                         {"contentChanges", {{{"text", "RECRUT 5\n"}}}}}}}}) {
    const std::string body = message.dump();
    burst += "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
  }
  const std::size_t before = client.seen().size();
  client.sendRaw(burst);
  ASSERT_FALSE(client.response(8).is_null());
  std::vector<std::string> order;
  for (std::size_t k = before; k < client.seen().size(); ++k) {
    const json& m = client.seen()[k];
    if (m.contains("method")) {
      order.push_back(m["method"].get<std::string>() + " " + std::to_string(m["params"].value("version", -1)));
    } else {
      order.push_back(std::to_string(m["id"].get<int>()) + " " +
                      (m.contains("error") ? std::to_string(m["error"]["code"].get<int>()) : m["result"].dump()));
    }
  }
  const std::vector<std::string> expected = {"7 -32800", "textDocument/publishDiagnostics 2",
                                             "8 [{\"kind\":12,\"name\":\"RECRUT 5\",\"range\":{\"end\":{\"character\":8,"
                                             "\"line\":0},\"start\":{\"character\":0,\"line\":0}},"
                                             "\"selectionRange\":{\"end\":{\"character\":8,\"line\":0},"
                                             "\"start\":{\"character\":0,\"line\":0}}}]"};
  EXPECT_EQ(order, expected);
}

}  // namespace
}  // namespace vyr
