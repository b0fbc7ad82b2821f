// The engine as the page's Web Worker calls it: a few C functions exported
// from the WebAssembly module, every call into the library in this one file.
//
// The worker makes a session, copies its input (an archive's bytes or the
// orders) into the session's input area, calls one function and reads the
// session's answer: a JSON text, and for a check the annotated copy as bytes
// when it was asked for.
// Both stay valid until the next call on the session. Every function answers
// 1, or 0 when it could not do its work (the answer then says why, as
// {"error":"..."}). Positions are 1-based; columns count UTF-16 code units,
// as the editor does, and bytes and characters beside them.
//
// Answers:
//   load      {"loaded":true}
//   worlds    {"worlds":[{"number":N,"name":"...","games":[N,...]},...]}
//   check     {"checked":true|false,"reason":"...","errors":N,"warnings":N,
//              "findings":[{"line":N,"column":N,"end_column":N,"char_column":N,
//                "end_char_column":N,"utf16_column":N,"end_utf16_column":N,
//                "severity":"error"|"warning"|"note","code":"...","table":"...",
//                "message":"...","suggestion":"..."|null,"fixes":[FIX...]},...],
//              "outline":[ENTRY...]}
//   FIX       {"title":"...","edits":[{"line":N,"column":N,"end_column":N,
//              "utf16_column":N,"end_utf16_column":N,"text":"..."}]}
//              the faulty field replaced by the suggested name
//   ENTRY     {"name":"...","line":N,"column":N,"utf16_column":N,
//              "children":[ENTRY...]}   a SHIRE order and the orders under it
//   complete  {"replace":SPAN,"items":[{"label":"...","detail":"...",
//              "kind":"command"|"keyword"|"name"|"value","text":"...",
//              "note":"..."},...]}
//              at a line and column of the orders: what replaces the span
//   hover     {"hover":{"text":"...",SPAN fields}|null}
//   SPAN      {"line":N,"column":N,"end_column":N,"utf16_column":N,
//              "end_utf16_column":N}
//
// The column a completion or hover is asked at counts UTF-16 code units, or
// bytes when the page keeps the orders as bytes (a file that is not UTF-8).
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/engine.h"
#include "findings/findingformat.h"
#include "checker/syntax.h"
#include "editor/completion.h"
#include "editor/editspan.h"
#include "editor/hover.h"
#include "editor/outline.h"
#include "editor/quickfix.h"
#include "gamedata/synworlds.h"

namespace vyr {
namespace {

// Where the archive given to load is put in the module's own file system.
constexpr const char* kArchivePath = "/syntax.dat";

}  // namespace

// One worker's calls: the input of the next call and the answer of the last.
class VYRWEB {
 public:
  VYRWEB() = default;
  VYRWEB(const VYRWEB&) = delete;
  VYRWEB& operator=(const VYRWEB&) = delete;

  char* input(int size) {
    input_.resize(size < 0 ? 0 : static_cast<std::size_t>(size));
    return input_.data();
  }
  std::string_view inputText() const { return input_; }
  std::string& answer() { return answer_; }
  std::string& annotated() { return annotated_; }

  int fail(std::string_view reason) {
    answer_ = "{\"error\":";
    appendJsonString(answer_, reason);
    answer_ += '}';
    annotated_.clear();
    return 0;
  }

 private:
  std::string input_;
  std::string answer_;
  std::string annotated_;
};

namespace {

void appendField(std::string& text, std::string_view key, int value) {
  text += key;
  text += std::to_string(value);
}

// A finding's fix: its field replaced by the suggested name, or nothing
// without a suggestion.
void appendFixes(std::string& text, const FINDING& finding) {
  text += ",\"fixes\":[";
  QUICKFIX fix;
  if (quickFixFor(finding.suggestion, fix)) {
    text += "{\"title\":";
    appendJsonString(text, fix.title);
    appendField(text, ",\"edits\":[{\"line\":", finding.line);
    appendField(text, ",\"column\":", finding.column);
    appendField(text, ",\"end_column\":", finding.endColumn);
    appendField(text, ",\"utf16_column\":", finding.utf16Column);
    appendField(text, ",\"end_utf16_column\":", finding.endUtf16Column);
    text += ",\"text\":";
    appendJsonString(text, fix.newText);
    text += "}]}";
  }
  text += ']';
}

void appendFinding(std::string& text, const FINDING& finding) {
  appendField(text, "{\"line\":", finding.line);
  appendField(text, ",\"column\":", finding.column);
  appendField(text, ",\"end_column\":", finding.endColumn);
  appendField(text, ",\"char_column\":", finding.charColumn);
  appendField(text, ",\"end_char_column\":", finding.endCharColumn);
  appendField(text, ",\"utf16_column\":", finding.utf16Column);
  appendField(text, ",\"end_utf16_column\":", finding.endUtf16Column);
  text += ",\"severity\":\"";
  text += severityName(finding.severity);
  text += "\",\"code\":";
  appendJsonString(text, finding.code);
  text += ",\"table\":";
  appendJsonString(text, finding.table);
  text += ",\"message\":";
  appendJsonString(text, plainMessage(finding.message));
  text += ",\"suggestion\":";
  if (finding.suggestion.empty()) {
    text += "null";
  } else {
    appendJsonString(text, finding.suggestion);
  }
  appendFixes(text, finding);
  text += '}';
}

// The lines of the orders as the check numbers them.
std::vector<std::string_view> textLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    lines.push_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

// An outline entry: the order line as the outline names it, placed at its
// first character (white space before an order is ASCII, so its bytes,
// characters and UTF-16 code units agree).
void appendEntry(std::string& text, const OUTLINEORDER& order, const std::vector<std::string_view>& lines) {
  const std::string_view line =
      order.line >= 1 && static_cast<std::size_t>(order.line) <= lines.size() ? lines[order.line - 1] : "";
  const std::size_t first = line.find_first_not_of(" \t");
  const int column = first == std::string_view::npos ? 1 : static_cast<int>(first) + 1;
  text += "{\"name\":";
  appendJsonString(text, outlineName(line));
  appendField(text, ",\"line\":", order.line);
  appendField(text, ",\"column\":", column);
  appendField(text, ",\"utf16_column\":", column);
  text += ",\"children\":[";
}

void appendOutline(std::string& text, const std::vector<OUTLINESHIRE>& shires, std::string_view orders) {
  const std::vector<std::string_view> lines = textLines(orders);
  text += ",\"outline\":[";
  for (std::size_t i = 0; i < shires.size(); ++i) {
    if (i > 0) text += ',';
    appendEntry(text, shires[i].order, lines);
    for (std::size_t j = 0; j < shires[i].orders.size(); ++j) {
      if (j > 0) text += ',';
      appendEntry(text, shires[i].orders[j], lines);
      text += "]}";
    }
    text += "]}";
  }
  text += ']';
}

int loadArchive(VYRWEB& session) {
  const std::string_view bytes = session.inputText();
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(kArchivePath, "wb"), &std::fclose);
  if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
    return session.fail("the data archive could not be stored");
  }
  if (std::fflush(file.get()) != 0) return session.fail("the data archive could not be stored");
  std::string error;
  if (!loadGameData(kArchivePath, error)) return session.fail(error);
  session.answer() = "{\"loaded\":true}";
  session.annotated().clear();
  return 1;
}

int listWorlds(VYRWEB& session) {
  const SYNWORLDS* data = SYNTAX::gameData();
  if (data == nullptr) return session.fail("no game data is loaded");
  std::string& text = session.answer();
  text = "{\"worlds\":[";
  for (std::size_t position = 0; position < data->worlds().size(); ++position) {
    const SYNWORLDS::WORLDINFO& world = data->worlds()[position];
    if (position > 0) text += ',';
    appendField(text, "{\"number\":", world.number);
    text += ",\"name\":";
    appendJsonString(text, world.name);
    text += ",\"games\":[";
    for (std::size_t game = 0; game < world.games.size(); ++game) {
      if (game > 0) text += ',';
      text += std::to_string(world.games[game]);
    }
    text += "]}";
  }
  text += "]}";
  session.annotated().clear();
  return 1;
}

int checkOrders(VYRWEB& session, int gameNo, int annotated) {
  if (SYNTAX::gameData() == nullptr) return session.fail("no game data is loaded");
  CHECKOPTIONS options;
  options.annotated = annotated;
  options.orders = 1;
  CHECKRESULT result = checkOrdersText(session.inputText(), gameNo, options);
  std::string& text = session.answer();
  text = result.checked ? "{\"checked\":true" : "{\"checked\":false";
  text += ",\"reason\":";
  appendJsonString(text, result.reason);
  appendField(text, ",\"errors\":", result.errors);
  appendField(text, ",\"warnings\":", result.warnings);
  text += ",\"findings\":[";
  for (std::size_t i = 0; i < result.findings.size(); ++i) {
    if (i > 0) text += ',';
    appendFinding(text, result.findings[i]);
  }
  text += ']';
  appendOutline(text, shireOutline(result.orders), session.inputText());
  text += '}';
  session.annotated() = std::move(result.annotated);
  return 1;
}

void appendSpan(std::string& text, const EDITSPAN& span) {
  appendField(text, "\"line\":", span.line);
  appendField(text, ",\"column\":", span.column);
  appendField(text, ",\"end_column\":", span.endColumn);
  appendField(text, ",\"utf16_column\":", span.utf16Column);
  appendField(text, ",\"end_utf16_column\":", span.endUtf16Column);
}

// The byte of the line a 1-based column (UTF-16 code units, or bytes) stands at.
std::size_t byteInLine(std::string_view orders, int line, int column, int byteColumns) {
  const std::size_t offset = column > 1 ? static_cast<std::size_t>(column - 1) : 0;
  const std::string_view text = textLine(orders, line).text;
  return byteColumns ? std::min(offset, text.size()) : byteOfUtf16Offset(text, offset);
}

std::string_view kindName(COMPLETIONKIND kind) {
  switch (kind) {
    case COMPLETIONKIND::kCommand:
      return "command";
    case COMPLETIONKIND::kKeyword:
      return "keyword";
    case COMPLETIONKIND::kName:
      return "name";
    case COMPLETIONKIND::kValue:
      break;
  }
  return "value";
}

int complete(VYRWEB& session, int gameNo, int line, int column, int byteColumns) {
  if (SYNTAX::gameData() == nullptr) return session.fail("no game data is loaded");
  const std::string_view orders = session.inputText();
  const COMPLETION completion =
      completionAt(orders, line, byteInLine(orders, line, column, byteColumns), gameNo);
  std::string& text = session.answer();
  text = "{\"replace\":{";
  appendSpan(text, completion.replace);
  text += "},\"items\":[";
  for (std::size_t i = 0; i < completion.items.size(); ++i) {
    const COMPLETIONITEM& item = completion.items[i];
    if (i > 0) text += ',';
    text += "{\"label\":";
    appendJsonString(text, item.label);
    text += ",\"detail\":";
    appendJsonString(text, item.detail);
    text += ",\"kind\":\"";
    text += kindName(item.kind);
    text += "\",\"text\":";
    appendJsonString(text, item.newText);
    text += ",\"note\":";
    appendJsonString(text, item.note);
    text += '}';
  }
  text += "]}";
  session.annotated().clear();
  return 1;
}

int hover(VYRWEB& session, int gameNo, int line, int column, int byteColumns) {
  if (SYNTAX::gameData() == nullptr) return session.fail("no game data is loaded");
  const std::string_view orders = session.inputText();
  HOVER found;
  std::string& text = session.answer();
  if (!hoverAt(orders, line, byteInLine(orders, line, column, byteColumns), gameNo, found)) {
    text = "{\"hover\":null}";
  } else {
    text = "{\"hover\":{\"text\":";
    appendJsonString(text, found.markdown);
    text += ',';
    appendSpan(text, found.span);
    text += "}}";
  }
  session.annotated().clear();
  return 1;
}

}  // namespace
}  // namespace vyr

using vyr::VYRWEB;

extern "C" {

EMSCRIPTEN_KEEPALIVE VYRWEB* vyrweb_new() { return new VYRWEB(); }
EMSCRIPTEN_KEEPALIVE void vyrweb_delete(VYRWEB* session) { delete session; }

// Room for `size` bytes of input to the next call; the worker writes them there.
EMSCRIPTEN_KEEPALIVE char* vyrweb_input(VYRWEB* session, int size) { return session->input(size); }

EMSCRIPTEN_KEEPALIVE const char* vyrweb_answer(VYRWEB* session) { return session->answer().data(); }
EMSCRIPTEN_KEEPALIVE int vyrweb_answer_size(VYRWEB* session) {
  return static_cast<int>(session->answer().size());
}
EMSCRIPTEN_KEEPALIVE const char* vyrweb_annotated(VYRWEB* session) { return session->annotated().data(); }
EMSCRIPTEN_KEEPALIVE int vyrweb_annotated_size(VYRWEB* session) {
  return static_cast<int>(session->annotated().size());
}

// The input is a data archive's bytes; the data loaded before is replaced.
EMSCRIPTEN_KEEPALIVE int vyrweb_load(VYRWEB* session) { return vyr::loadArchive(*session); }
EMSCRIPTEN_KEEPALIVE int vyrweb_worlds(VYRWEB* session) { return vyr::listWorlds(*session); }
// The input is the orders, checked as VyrSyn checks standard input; the
// annotated copy is made when `annotated` is 1 (it is empty otherwise).
EMSCRIPTEN_KEEPALIVE int vyrweb_check(VYRWEB* session, int gameNo, int annotated) {
  return vyr::checkOrders(*session, gameNo, annotated);
}
// The input is the orders; the place is a 1-based line and column, the
// column in bytes when `byteColumns` is 1, else in UTF-16 code units.
EMSCRIPTEN_KEEPALIVE int vyrweb_complete(VYRWEB* session, int gameNo, int line, int column, int byteColumns) {
  return vyr::complete(*session, gameNo, line, column, byteColumns);
}
EMSCRIPTEN_KEEPALIVE int vyrweb_hover(VYRWEB* session, int gameNo, int line, int column, int byteColumns) {
  return vyr::hover(*session, gameNo, line, column, byteColumns);
}

}  // extern "C"
