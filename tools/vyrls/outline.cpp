// The outline of SHIRE orders, the quick fixes, and the texts the other
// features share.
#include <algorithm>

#include "editor/outline.h"
#include "editor/quickfix.h"
#include "vyrls/diagnostics.h"
#include "vyrls/features.h"

namespace vyr {

namespace {

// The protocol's symbol kinds.
constexpr int kSymbolFile = 1;
constexpr int kSymbolNamespace = 3;
constexpr int kSymbolFunction = 12;

}  // namespace

std::string documentSymbolsText(const TEXTDOCUMENT& document, const FEATURECONTEXT& context) {
  // Written as text: a tree of JSON values for every order costs many times
  // the check itself.
  const ORDEROUTLINE outline = orderOutlineOf(document.text(), context.gameNo);
  std::string out;
  const auto position = [&](std::size_t offset) {
    const TEXTPOSITION at = document.positionAt(offset, context.encoding);
    out += "{\"line\":";
    out += std::to_string(at.line);
    out += ",\"character\":";
    out += std::to_string(at.character);
    out += '}';
  };
  // A symbol of one line, left open for its children: its range the whole
  // line (up to `lastLine`'s end for one that holds others), its selection
  // and name the order's text.
  const auto openSymbol = [&](int line, int lastLine, int kind) {
    const auto at = static_cast<long long>(line - 1);
    const std::size_t start = document.lineStart(at);
    const std::string_view text = document.lineText(at);
    const std::string name = outlineName(text);
    const std::size_t nameAt = name.empty() ? 0 : text.find(name);
    const auto last = static_cast<long long>(lastLine - 1);
    out += "{\"name\":";
    out += nlohmann::json(name.empty() ? std::string(text) : name)
               .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    out += ",\"kind\":";
    out += std::to_string(kind);
    out += ",\"range\":{\"start\":";
    position(start);
    out += ",\"end\":";
    position(document.lineStart(last) + document.lineText(last).size());
    out += "},\"selectionRange\":{\"start\":";
    position(start + nameAt);
    out += ",\"end\":";
    position(start + nameAt + name.size());
    out += '}';
  };
  out += '[';
  int lastLine = outline.headerLine;
  for (const OUTLINESHIRE& shire : outline.shires) lastLine = std::max(lastLine, shire.lastLine());
  if (!outline.orders.empty()) lastLine = std::max(lastLine, outline.orders.back().line);
  const bool headed = outline.headerLine != 0;
  if (headed) {
    openSymbol(outline.headerLine, lastLine, kSymbolFile);
    if (!outline.orders.empty() || !outline.shires.empty()) out += ",\"children\":[";
  }
  // The orders under no SHIRE and the SHIRE orders, merged in text order.
  bool first = true;
  const auto separate = [&] {
    if (!first) out += ',';
    first = false;
  };
  std::size_t shire = 0;
  for (std::size_t order = 0; order <= outline.orders.size(); ++order) {
    const int before = order < outline.orders.size() ? outline.orders[order].line : 0;
    for (; shire < outline.shires.size() && (before == 0 || outline.shires[shire].order.line < before); ++shire) {
      const OUTLINESHIRE& entry = outline.shires[shire];
      separate();
      openSymbol(entry.order.line, entry.lastLine(), kSymbolNamespace);
      if (!entry.orders.empty()) {
        out += ",\"children\":[";
        for (std::size_t k = 0; k < entry.orders.size(); ++k) {
          if (k > 0) out += ',';
          openSymbol(entry.orders[k].line, entry.orders[k].line, kSymbolFunction);
          out += '}';
        }
        out += ']';
      }
      out += '}';
    }
    if (before != 0) {
      separate();
      openSymbol(before, before, kSymbolFunction);
      out += '}';
    }
  }
  if (headed) {
    if (!outline.orders.empty() || !outline.shires.empty()) out += ']';
    out += '}';
  }
  out += ']';
  return out;
}

nlohmann::json documentSymbols(const TEXTDOCUMENT& document, const FEATURECONTEXT& context) {
  return nlohmann::json::parse(documentSymbolsText(document, context));
}

nlohmann::json codeActions(const TEXTDOCUMENT& document, const nlohmann::json& params) {
  nlohmann::json actions = nlohmann::json::array();
  const auto context = params.find("context");
  if (context == params.end() || !context->is_object()) return actions;
  const auto diagnostics = context->find("diagnostics");
  if (diagnostics == context->end() || !diagnostics->is_array()) return actions;
  for (const nlohmann::json& diagnostic : *diagnostics) {
    if (!diagnostic.is_object()) continue;
    const auto data = diagnostic.find("data");
    const auto range = diagnostic.find("range");
    if (data == diagnostic.end() || !data->is_object() || range == diagnostic.end() || !range->is_object())
      continue;
    const auto suggestion = data->find("suggestion");
    QUICKFIX fix;
    if (suggestion == data->end() || !suggestion->is_string() ||
        !quickFixFor(suggestion->get_ref<const std::string&>(), fix)) {
      continue;
    }
    actions.push_back(
        {{"title", fix.title},
         {"kind", "quickfix"},
         {"isPreferred", true},
         {"diagnostics", nlohmann::json::array({diagnostic})},
         {"edit", {{"changes", {{document.uri(), {{{"range", *range}, {"newText", fix.newText}}}}}}}}});
  }
  return actions;
}

}  // namespace vyr
