// The outline of SHIRE orders, the quick fixes, and the texts the other
// features share.
#include "checker/orderplace.h"
#include "editor/outline.h"
#include "editor/quickfix.h"
#include "vyrls/diagnostics.h"
#include "vyrls/features.h"
#include "editor/lineplace.h"

namespace vyr {

namespace {

// The protocol's symbol kinds.
constexpr int kSymbolNamespace = 3;
constexpr int kSymbolFunction = 12;

}  // namespace

std::string_view scopeName(std::string_view scope) {
  const char code = scopeCode(scope);
  if (code == 'S') return "shire order";
  if (code == 'G') return "global order";
  if (code == 'C') return "city order";
  return "no scope rule";
}

std::string variantText(const COMMANDTABLE::Words& words) {
  std::string text;
  for (const std::string_view word : words) {
    if (!text.empty()) text += ' ';
    text += word;
  }
  return text;
}

nlohmann::json documentSymbols(const TEXTDOCUMENT& document, const FEATURECONTEXT& context) {
  nlohmann::json symbols = nlohmann::json::array();
  const auto lineRange = [&document, &context](int line) {
    const auto at = static_cast<long long>(line - 1);
    const std::size_t start = document.lineStart(at);
    return rangeJson(document.positionAt(start, context.encoding),
                     document.positionAt(start + document.lineText(at).size(), context.encoding));
  };
  const auto symbolOf = [&](const OUTLINEORDER& order, int kind) {
    const nlohmann::json whole = lineRange(order.line);
    return nlohmann::json{{"name", outlineName(document.lineText(order.line - 1))},
                          {"kind", kind},
                          {"range", whole},
                          {"selectionRange", whole}};
  };
  for (const OUTLINESHIRE& shire : shireOutlineOf(document.text(), context.gameNo)) {
    nlohmann::json symbol = symbolOf(shire.order, kSymbolNamespace);
    symbol["children"] = nlohmann::json::array();
    for (const OUTLINEORDER& order : shire.orders) symbol["children"].push_back(symbolOf(order, kSymbolFunction));
    symbol["range"]["end"] = lineRange(shire.lastLine())["end"];
    symbols.push_back(std::move(symbol));
  }
  return symbols;
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
