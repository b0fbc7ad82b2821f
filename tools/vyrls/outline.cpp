// The outline of SHIRE orders, the quick fixes, and the texts the other
// features share.
#include <algorithm>

#include "editor/outline.h"
#include "editor/quickfix.h"
#include "findings/findingformat.h"
#include "vyrls/diagnostics.h"
#include "vyrls/features.h"

namespace vyr {

namespace {

// The protocol's symbol kinds.
constexpr int kSymbolFile = 1;
constexpr int kSymbolNamespace = 3;
constexpr int kSymbolFunction = 12;

}  // namespace

void appendDocumentSymbols(std::string& out, const TEXTDOCUMENT& document, const ORDEROUTLINE& outline,
                           POSITIONENCODING encoding) {
  // Written as text: a tree of JSON values for every order costs many times
  // the check itself.
  const auto units = [&](std::string_view text) {
    if (encoding == POSITIONENCODING::kUtf8) return static_cast<long long>(text.size());
    long long count = 0;
    for (std::size_t at = 0; at < text.size();) {
      const CHARSIZE size = charSizeAt(text, at);
      count += size.units;
      at += size.bytes;
    }
    return count;
  };
  const auto position = [&](long long line, long long character) {
    out += "{\"line\":";
    out += std::to_string(line);
    out += ",\"character\":";
    out += std::to_string(character);
    out += '}';
  };
  // A symbol of one line, left open for its children: its range the whole
  // line (up to `lastLine`'s end for one that holds others), its selection
  // and name the order's text.
  const auto openSymbol = [&](int line, int lastLine, int kind) {
    const auto at = static_cast<long long>(line - 1);
    const std::string_view text = document.lineText(at);
    const std::string name = outlineName(text);
    const std::size_t nameAt = name.empty() ? 0 : text.find(name);
    const auto last = static_cast<long long>(lastLine - 1);
    const long long nameStart = units(text.substr(0, nameAt));
    out += "{\"name\":";
    appendJsonString(out, name.empty() ? text : std::string_view(name));
    out += ",\"kind\":";
    out += std::to_string(kind);
    out += ",\"range\":{\"start\":";
    position(at, 0);
    out += ",\"end\":";
    position(last, units(document.lineText(last)));
    out += "},\"selectionRange\":{\"start\":";
    position(at, nameStart);
    out += ",\"end\":";
    position(at, nameStart + units(name));
    out += '}';
  };
  std::size_t symbols = outline.orders.size() + (outline.headerLine != 0 ? 1 : 0);
  for (const OUTLINESHIRE& shire : outline.shires) symbols += 1 + shire.orders.size();
  out.reserve(out.size() + symbols * 200);
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
}

std::string documentSymbolsText(const TEXTDOCUMENT& document, const FEATURECONTEXT& context) {
  CHECKOPTIONS options;
  options.suggestions = 0;
  options.notes = 0;
  options.annotated = 0;
  options.orders = 1;
  std::string out;
  appendDocumentSymbols(out, document, orderOutline(checkAsSaved(document.text(), context.gameNo, options).orders),
                        context.encoding);
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
