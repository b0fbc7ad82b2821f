// The language server keeps running whatever its client sends.
#include <gtest/gtest.h>

#include "vyrls/lspclient.h"

namespace vyr {
namespace {

using json = nlohmann::json;

const std::string kUri = "file:///tmp/orders.txt";

std::string framed(const std::string& body, long long lengthOffset = 0) {
  return "Content-Length: " + std::to_string(static_cast<long long>(body.size()) + lengthOffset) +
         "\r\n\r\n" + body;
}

std::string symbolRequest(int id) {
  return json({{"jsonrpc", "2.0"},
               {"id", id},
               {"method", "textDocument/documentSymbol"},
               {"params", {{"textDocument", {{"uri", kUri}}}}}})
      .dump();
}

// Each case sends its bytes, then a good request (id 100): the server must
// answer it, and answer the bad part as given.
TEST(VyrlsRobustness, BadMessagesAreAnsweredAndTheServerGoesOn) {
  struct CASE {
    const char* what;
    std::string bytes;
    int errorCode;  // the error answered for the bad part; 0: none
  };
  const CASE cases[] = {
      {"not JSON", framed("{\"jsonrpc\": \"2.0\", \"id\": 5,"), -32700},
      {"a length too short", framed(symbolRequest(5), -10), -32700},
      {"a length too long", framed(symbolRequest(5), 25), -32700},
      {"no length", "Content-Type: application/vscode-jsonrpc; charset=utf-8\r\n\r\n", 0},
      {"a length that is no number", "Content-Length: many\r\n\r\n", 0},
      {"an unknown method", framed(R"({"jsonrpc":"2.0","id":5,"method":"vyr/unknown","params":{}})"), -32601},
      {"an unknown notification", framed(R"({"jsonrpc":"2.0","method":"vyr/unknown"})"), 0},
      {"no method", framed(R"({"jsonrpc":"2.0","id":5})"), -32600},
      {"not an object", framed("[1, 2, 3]"), -32600},
      {"parameters of the wrong types",
       framed(
           R"({"jsonrpc":"2.0","id":5,"method":"textDocument/hover","params":{"textDocument":{"uri":7},"position":"here"}})"),
       -32602},
      {"a character that is a string",
       framed(
           R"({"jsonrpc":"2.0","id":5,"method":"textDocument/completion","params":{"textDocument":{"uri":"file:///tmp/orders.txt"},"position":{"line":0,"character":"3"}}})"),
       -32602},
      {"a negative line",
       framed(
           R"({"jsonrpc":"2.0","id":5,"method":"textDocument/hover","params":{"textDocument":{"uri":"file:///tmp/orders.txt"},"position":{"line":-1,"character":0}}})"),
       -32602},
      {"a range without its end",
       framed(
           R"({"jsonrpc":"2.0","id":5,"method":"textDocument/codeAction","params":{"textDocument":{"uri":"file:///tmp/orders.txt"},"range":{"start":{"line":0,"character":0}},"context":{"diagnostics":[]}}})"),
       -32602},
      {"a line past the protocol's range",
       framed(
           R"({"jsonrpc":"2.0","id":5,"method":"textDocument/hover","params":{"textDocument":{"uri":"file:///tmp/orders.txt"},"position":{"line":2147483648,"character":0}}})"),
       -32602},
      {"no document",
       framed(R"({"jsonrpc":"2.0","id":5,"method":"textDocument/documentSymbol","params":{}})"), -32602},
      {"a change of a document that is not open",
       framed(
           R"({"jsonrpc":"2.0","method":"textDocument/didChange","params":{"textDocument":{"uri":"file:///none","version":2},"contentChanges":[{"text":"x"}]}})"),
       0},
  };
  LSPCLIENT client;
  ASSERT_TRUE(client.start().is_object());
  client.open(kUri, "SHIRE 12,3\n");
  int id = 100;
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.what);
    const std::size_t before = client.seen().size();
    client.sendRaw(c.bytes);
    client.sendRaw(framed(symbolRequest(++id)));
    const json answer = client.response(id);
    ASSERT_FALSE(answer.is_null()) << "no answer after " << c.what;
    EXPECT_EQ(answer["result"].size(), 1u);
    bool errorSeen = false;
    for (std::size_t k = before; k < client.seen().size(); ++k) {
      const json& message = client.seen()[k];
      if (message.contains("error") && message["error"]["code"] == c.errorCode) errorSeen = true;
    }
    if (c.errorCode != 0) {
      EXPECT_TRUE(errorSeen);
    }
  }
  client.request(2, "shutdown", nullptr);
  ASSERT_FALSE(client.response(2).is_null());
  client.notify("exit");
  EXPECT_EQ(client.exitStatus(), 0);
}

// A request above the size limit is answered with an error under its id, and
// the player is told; the server reads on.
TEST(VyrlsRobustness, AMessageAboveTheLimitIsAnswered) {
  LSPCLIENT client;
  ASSERT_TRUE(client.start().is_object());
  client.open(kUri, "SHIRE 12,3\n");
  const std::string body = R"({"jsonrpc":"2.0","id":9,"method":"textDocument/hover","params":{"pad":")" +
                           std::string(std::size_t{64} << 20, 'x') + R"("}})";
  client.sendRaw(framed(body));
  client.sendRaw(framed(symbolRequest(10)));
  const json refused = client.response(9, 120000);
  ASSERT_FALSE(refused.is_null());
  EXPECT_EQ(refused["error"]["code"], -32600);
  const json shown =
      client.waitFor([](const json& m) { return m.value("method", "") == "window/showMessage"; });
  ASSERT_FALSE(shown.is_null());
  EXPECT_EQ(shown["params"]["type"], 2);
  EXPECT_NE(shown["params"]["message"].get<std::string>().find(std::to_string(body.size()) + " bytes"),
            std::string::npos);
  EXPECT_FALSE(client.response(10, 120000).is_null());
}

TEST(VyrlsRobustness, RequestsBeforeInitializeAreRefused) {
  LSPCLIENT client;
  client.request(3, "textDocument/hover", json::object());
  EXPECT_EQ(client.response(3)["error"]["code"], -32002);
  client.request(4, "shutdown", nullptr);
  EXPECT_EQ(client.response(4)["error"]["code"], -32002);
  EXPECT_TRUE(client.start().is_object());
  client.request(5, "initialize", {{"capabilities", json::object()}});
  EXPECT_EQ(client.response(5)["error"]["code"], -32600);
}

TEST(VyrlsRobustness, PositionsPastLineAndDocumentEndsStandAtTheEnds) {
  struct CASE {
    json start;
    json end;
    std::string text;
    std::string result;
  };
  const CASE cases[] = {
      {{{"line", 0}, {"character", 500}}, {{"line", 0}, {"character", 900}}, " 7", "ALLY 3 7\nNOTE x\n"},
      {{{"line", 40}, {"character", 0}}, {{"line", 99}, {"character", 3}}, "ALLY", "ALLY 3\nNOTE x\nALLY"},
      {{{"line", 1}, {"character", 6}}, {{"line", 0}, {"character", 4}}, "", "ALLY\n"},
      {{{"line", -3}, {"character", -2}}, {{"line", 0}, {"character", 0}}, "@", "@ALLY 3\nNOTE x\n"},
  };
  int version = 1;
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.result);
    LSPCLIENT client;
    client.start();
    client.open(kUri, "ALLY 3\nNOTE x\n");
    client.notify(
        "textDocument/didChange",
        {{"textDocument", {{"uri", kUri}, {"version", ++version}}},
         {"contentChanges", {{{"range", {{"start", c.start}, {"end", c.end}}}, {"text", c.text}}}}});
    // The outline shows the text the server now holds.
    client.request(2, "textDocument/documentSymbol", {{"textDocument", {{"uri", kUri}}}});
    EXPECT_FALSE(client.response(2).is_null());
    client.request(3, "textDocument/completion",
                   {{"textDocument", {{"uri", kUri}}}, {"position", {{"line", 9}, {"character", 99}}}});
    EXPECT_FALSE(client.response(3).is_null());
    const json published = client.diagnostics(kUri, version);
    ASSERT_FALSE(published.is_null());
    // "ALLY 3" lacks its y/n; the check says where, so the text must match.
    LSPCLIENT reference;
    reference.start();
    reference.open(kUri, c.result);
    EXPECT_EQ(published["params"]["diagnostics"], reference.diagnostics(kUri, 1)["params"]["diagnostics"]);
  }
}

TEST(VyrlsRobustness, ALargeDocumentAndAThousandChangesAreChecked) {
  std::string large = "SHIRE 12,3\n";
  while (large.size() < 10'000'000) large += "  RECRUIT 40 Pikemen ; a line of a large file\n";
  large += "  RECRUIT 40 Pikemenn\n";
  LSPCLIENT client;
  client.start();
  client.open(kUri, large);
  const json published = client.diagnostics(kUri, 1, 120000);
  ASSERT_FALSE(published.is_null());
  ASSERT_EQ(published["params"]["diagnostics"].size(), 1u);
  client.notify("textDocument/didClose", {{"textDocument", {{"uri", kUri}}}});

  // A thousand one-letter insertions in a row, sent at once.
  client.open(kUri, "SHIRE 12,3\n  NOTE \n");
  std::string burst;
  for (int k = 0; k < 1000; ++k) {
    burst += framed(json({{"jsonrpc", "2.0"},
                          {"method", "textDocument/didChange"},
                          {"params",
                           {{"textDocument", {{"uri", kUri}, {"version", k + 2}}},
                            {"contentChanges",
                             {{{"range",
                                {{"start", {{"line", 1}, {"character", 7 + k}}},
                                 {"end", {{"line", 1}, {"character", 7 + k}}}}},
                               {"text", "x"}}}}}}})
                        .dump());
  }
  client.sendRaw(burst);
  client.notify(
      "textDocument/didChange",
      {{"textDocument", {{"uri", kUri}, {"version", 1002}}},
       {"contentChanges",
        {{{"range", {{"start", {{"line", 1}, {"character", 2}}}, {"end", {{"line", 1}, {"character", 6}}}}},
          {"text", "RECRUIT 3"}}}}});
  const json last = client.diagnostics(kUri, 1002);
  ASSERT_FALSE(last.is_null());
  // "RECRUIT 3 xxx...x": the unit name is the thousand x.
  const json diagnostics = last["params"]["diagnostics"];
  ASSERT_EQ(diagnostics.size(), 1u) << diagnostics.dump();
  EXPECT_EQ(diagnostics[0]["range"]["start"], json({{"line", 1}, {"character", 12}}));
}

TEST(VyrlsRobustness, FaultyGameDataIsShownAndNothingIsChecked) {
  LSPCLIENT client;
  // A data set the data checks refuse: one of its tables is missing.
  const json result = client.start({{"data", std::string(VYR_TEST_DATA_DIR) + "/archive/broken/missing-member"}});
  ASSERT_TRUE(result.is_object());
  const json shown =
      client.waitFor([](const json& m) { return m.value("method", "") == "window/showMessage"; });
  ASSERT_FALSE(shown.is_null());
  EXPECT_EQ(shown["params"]["type"], 1);
  EXPECT_NE(shown["params"]["message"].get<std::string>().find("missing-member"), std::string::npos);
  client.open(kUri, "BANISH 3\n");
  ASSERT_FALSE(client.diagnostics(kUri).is_null()) << "the file is marked as not checked";
  client.request(2, "textDocument/completion",
                 {{"textDocument", {{"uri", kUri}}}, {"position", {{"line", 0}, {"character", 0}}}});
  EXPECT_EQ(client.response(2)["result"]["items"], json::array());
  client.request(3, "shutdown", nullptr);
  ASSERT_FALSE(client.response(3).is_null());
  client.notify("exit");
  EXPECT_EQ(client.exitStatus(), 0);
  // The file is marked with one error at its first line, never shown clean.
  int marks = 0;
  for (const json& message : client.seen()) {
    if (message.value("method", "") != "textDocument/publishDiagnostics") continue;
    ++marks;
    ASSERT_EQ(message["params"]["diagnostics"].size(), 1u) << message.dump();
    EXPECT_EQ(message["params"]["diagnostics"][0]["range"]["start"]["line"], 0);
  }
  EXPECT_EQ(marks, 1);
}

}  // namespace
}  // namespace vyr
