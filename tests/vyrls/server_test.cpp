// The server without its streams: the version check between a check and its
// publication, made deterministic by changing the document in the check's
// `meanwhile`.
#include "vyrls/server.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

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


// A fault the library cannot continue from in the middle of a check (here
// the archive gone when the released data is loaded again): the server
// shows it once, marks the file as not checked, and serves on; once the
// archive is back, the next edit gets its findings.
TEST(VyrlsServer, AFaultInACheckIsShownOnceAndTheServerServesOn) {
  const std::filesystem::path archive =
      std::filesystem::temp_directory_path() / ("vyrls_fault_" + std::to_string(getpid()) + ".dat");
  std::filesystem::copy_file(VYR_BUILT_ARCHIVE, archive, std::filesystem::copy_options::overwrite_existing);
  const FATALHANDLER before = setFatalHandler(throwLibraryFault);
  std::vector<json> sent;
  SERVER server({archive.string(), 1, ""}, [&sent](const json& m) { sent.push_back(m); });
  server.handle(message({{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", json::object()}}));
  releaseGameData();
  std::filesystem::remove(archive);
  server.handle(notification("textDocument/didOpen",
                             {{"textDocument", {{"uri", "u"}, {"version", 1}, {"text", "BANISH 3\n"}}}}));
  while (server.checksWaiting()) server.checkNext();
  server.handle(change(2, "RECRUT 5\n"));
  while (server.checksWaiting()) server.checkNext();
  std::filesystem::copy_file(VYR_BUILT_ARCHIVE, archive);
  server.handle(change(3, "RECRUT 5\n"));
  while (server.checksWaiting()) server.checkNext();
  setFatalHandler(before);

  struct SEEN {
    std::string method;
    long long version;
    std::string codes;  // of the diagnostics, or the message shown
    bool operator==(const SEEN&) const = default;
  };
  std::vector<SEEN> seen;
  for (const json& m : sent) {
    const std::string method = m.value("method", "");
    if (method == "window/showMessage") {
      const std::string text = m["params"]["message"].get<std::string>();
      seen.push_back({method, 0, text.find("Unable to load") != std::string::npos ? "the load failed" : text});
    } else if (method == "textDocument/publishDiagnostics") {
      std::string codes;
      for (const json& d : m["params"]["diagnostics"]) codes += d["code"].get<std::string>() + " ";
      seen.push_back({method, m["params"].value("version", -1LL), codes});
    }
  }
  const std::vector<SEEN> expected = {
      {"window/showMessage", 0, "the load failed"},
      {"textDocument/publishDiagnostics", 1, "not-checked "},
      {"textDocument/publishDiagnostics", 2, "not-checked "},
      {"textDocument/publishDiagnostics", 3, "unknown-command "},
  };
  ASSERT_EQ(seen.size(), expected.size()) << json(sent).dump();
  for (std::size_t k = 0; k < seen.size(); ++k) {
    EXPECT_EQ(seen[k].method, expected[k].method) << k;
    EXPECT_EQ(seen[k].version, expected[k].version) << k;
    EXPECT_EQ(seen[k].codes, expected[k].codes) << k << " " << json(sent).dump();
  }
  releaseGameData();
  std::filesystem::remove(archive);
}

}  // namespace
}  // namespace vyr
