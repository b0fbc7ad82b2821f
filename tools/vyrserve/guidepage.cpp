#include "vyrserve/guidepage.h"

#include <cmark.h>

#include <cctype>
#include <memory>

namespace vyr {

namespace {

struct NODEFREE {
  void operator()(cmark_node* node) const { cmark_node_free(node); }
};
struct TEXTFREE {
  void operator()(char* text) const { std::free(text); }
};

// Raw HTML in the guide is left out, never passed on.
constexpr int kOptions = CMARK_OPT_DEFAULT;

std::string htmlOf(cmark_node* node) {
  const std::unique_ptr<char, TEXTFREE> html(cmark_render_html(node, kOptions));
  return html ? std::string(html.get()) : std::string();
}

// The words of a heading as a reader sees them: its text and code spans.
std::string plainText(cmark_node* heading) {
  std::string text;
  cmark_iter* walk = cmark_iter_new(heading);
  for (cmark_event_type event; (event = cmark_iter_next(walk)) != CMARK_EVENT_DONE;) {
    cmark_node* node = cmark_iter_get_node(walk);
    const cmark_node_type type = cmark_node_get_type(node);
    if (event == CMARK_EVENT_ENTER && (type == CMARK_NODE_TEXT || type == CMARK_NODE_CODE)) {
      const char* literal = cmark_node_get_literal(node);
      if (literal != nullptr) text += literal;
    }
  }
  cmark_iter_free(walk);
  return text;
}

// The guide's HTML, each heading with its anchor as its id.
std::string guideHtml(std::string_view markdown) {
  const std::unique_ptr<cmark_node, NODEFREE> document(
      cmark_parse_document(markdown.data(), markdown.size(), kOptions));
  if (!document) return "";
  std::string html;
  for (cmark_node* block = cmark_node_first_child(document.get()); block != nullptr;
       block = cmark_node_next(block)) {
    std::string part = htmlOf(block);
    if (cmark_node_get_type(block) == CMARK_NODE_HEADING && part.size() > 4 && part.starts_with("<h")) {
      part.insert(3, " id=\"" + escapeHtml(anchorOf(plainText(block))) + "\"");
    }
    html += part;
  }
  return html;
}

bool blank(std::string_view text) {
  for (const char c : text) {
    if (!std::isspace(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

}  // namespace

std::string escapeHtml(std::string_view text) {
  std::string html;
  html.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&':
        html += "&amp;";
        break;
      case '<':
        html += "&lt;";
        break;
      case '>':
        html += "&gt;";
        break;
      case '"':
        html += "&quot;";
        break;
      case '\'':
        html += "&#39;";
        break;
      default:
        html += c;
    }
  }
  return html;
}

std::string anchorOf(std::string_view heading) {
  std::string id;
  bool gap = false;
  for (const char c : heading) {
    const auto byte = static_cast<unsigned char>(c);
    if (std::isalnum(byte) || c == '-' || c == '_') {
      if (gap && !id.empty()) id += '-';
      gap = false;
      id += static_cast<char>(std::tolower(byte));
    } else if (c != '`') {
      gap = true;
    }
  }
  return id;
}

std::string renderGuidePage(std::string_view markdown) {
  const std::string guide = blank(markdown)
                                ? "<h1>Finding codes</h1>\n<p>This build of the web checker has no guide to "
                                  "the finding codes.</p>\n"
                                : guideHtml(markdown);
  return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
         "<title>Finding codes - Vyr orders check</title>\n<link rel=\"stylesheet\" href=\"page.css\">\n"
         "</head>\n<body class=\"guide\">\n<nav><a href=\"./\">Back to the orders check</a></nav>\n<main>\n" +
         guide + "</main>\n</body>\n</html>\n";
}

}  // namespace vyr
