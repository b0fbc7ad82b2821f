// The server without its streams: the version check between a check and its
// publication, made deterministic by changing the document in the check's
// `meanwhile`.
#include "vyrls/server.h"

#include <gtest/gtest.h>

#include "engine/engine.h"

namespace vyr {
namespace {

using json = nlohmann::json;

INCOMING message(json body) { return {std::move(body), 1}; }

INCOMING notification(const std::string& method, json params) {
  return message({{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}});
}

INCOMING change(long long version, const std::string& text) {
  return notification("textDocument/didChange", {{"textDocument", {{"uri", "u"}, {"version", version}}},
                                                 {"contentChanges", {{{"text", text}}}}});
}

TEST(VyrlsServer, ACheckOfADocumentChangedMeanwhileIsNotPublished) {
  struct CASE {
    const char* what;
    std::vector<INCOMING> meanwhile;
    // The versions published, in order, until no check waits; -1 for the
    // diagnostics cleared by a close.
    std::vector<long long> published;
  };
  const CASE cases[] = {
      {"nothing happens", {}, {1}},
      {"a change", {change(2, "PASSWORD abcdef\n")}, {2}},
      {"two changes", {change(2, "x\n"), change(3, "PASSWORD abcdef\n")}, {3}},
      {"a close", {notification("textDocument/didClose", {{"textDocument", {{"uri", "u"}}}})}, {-1}},
      {"a request",
       {message({{"jsonrpc", "2.0"},
                 {"id", 9},
                 {"method", "textDocument/documentSymbol"},
                 {"params", {{"textDocument", {{"uri", "u"}}}}}})},
       {1}},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<json> sent;
    SERVER server({VYR_BUILT_ARCHIVE, 1, "file:///codes.md"}, [&sent](const json& m) { sent.push_back(m); });
    server.handle(
        message({{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", json::object()}}));
    server.handle(notification("textDocument/didOpen",
                               {{"textDocument", {{"uri", "u"}, {"version", 1}, {"text", "BANISH 3\n"}}}}));
    server.checkNext([&] {
      for (const INCOMING& incoming : c.meanwhile) server.handle(incoming);
    });
    while (server.checksWaiting()) server.checkNext();
    std::vector<long long> published;
    for (const json& m : sent) {
      if (m.value("method", "") != "textDocument/publishDiagnostics") continue;
      published.push_back(m["params"].value("version", -1LL));
    }
    EXPECT_EQ(published, c.published);
  }
  releaseGameData();
}

}  // namespace
}  // namespace vyr
