#include "vyrserve/guidepage.h"

#include <cctype>
#include <vector>

namespace vyr {

namespace {

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

// The spans inside one line of text.
std::string inlineHtml(std::string_view text) {
  std::string html;
  bool strong = false;
  bool emphasis = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '`') {
      const std::size_t end = text.find('`', i + 1);
      if (end != std::string_view::npos) {
        html += "<code>" + escapeHtml(text.substr(i + 1, end - i - 1)) + "</code>";
        i = end;
        continue;
      }
    }
    if (c == '*' && i + 1 < text.size() && text[i + 1] == '*') {
      html += strong ? "</strong>" : "<strong>";
      strong = !strong;
      ++i;
      continue;
    }
    if (c == '*' && (emphasis || (i + 1 < text.size() && text[i + 1] != ' '))) {
      html += emphasis ? "</em>" : "<em>";
      emphasis = !emphasis;
      continue;
    }
    html += escapeHtml(text.substr(i, 1));
  }
  if (emphasis) html += "</em>";
  if (strong) html += "</strong>";
  return html;
}

std::vector<std::string_view> tableCells(std::string_view line) {
  line = trimmed(line);
  if (line.starts_with('|')) line.remove_prefix(1);
  if (line.ends_with('|')) line.remove_suffix(1);
  std::vector<std::string_view> cells;
  for (std::size_t start = 0;;) {
    const std::size_t bar = line.find('|', start);
    cells.push_back(trimmed(line.substr(start, bar == std::string_view::npos ? bar : bar - start)));
    if (bar == std::string_view::npos) break;
    start = bar + 1;
  }
  return cells;
}

bool isRule(std::string_view line) {
  line = trimmed(line);
  return line.starts_with('|') && line.find_first_not_of("|-: ") == std::string_view::npos;
}

// The renderer's state between lines: which block is open.
class GUIDERENDERER {
 public:
  void line(std::string_view text) {
    const std::string_view bare = trimmed(text);
    if (fenced_) {
      if (bare.starts_with("```")) {
        html_ += "</code></pre>\n";
        fenced_ = false;
      } else {
        html_ += escapeHtml(text) + "\n";
      }
      return;
    }
    if (text.starts_with("    ") && !bare.empty() && (block_ == kNone || block_ == kCode)) {
      open(kCode);
      html_ += escapeHtml(text.substr(4)) + "\n";
      return;
    }
    if (bare.starts_with("```")) {
      close();
      html_ += "<pre><code>";
      fenced_ = true;
    } else if (bare.empty()) {
      close();
    } else if (bare.starts_with('#')) {
      heading(bare);
    } else if (bare.starts_with("- ") || bare.starts_with("* ")) {
      open(kList);
      html_ += "<li>" + inlineHtml(bare.substr(2)) + "</li>\n";
    } else if (bare.starts_with('|')) {
      tableRow(bare);
    } else {
      open(kParagraph);
      html_ += inlineHtml(bare) + "\n";
    }
  }

  std::string finish() {
    close();
    if (fenced_) html_ += "</code></pre>\n";
    fenced_ = false;
    return std::move(html_);
  }

 private:
  enum BLOCK { kNone, kParagraph, kList, kTable, kCode };

  void open(BLOCK block) {
    if (block_ == block) return;
    close();
    block_ = block;
    html_ += block == kParagraph ? "<p>"
             : block == kList    ? "<ul>\n"
             : block == kCode    ? "<pre><code>"
                                 : "<table>\n";
  }

  void close() {
    if (block_ == kParagraph) html_ += "</p>\n";
    if (block_ == kList) html_ += "</ul>\n";
    if (block_ == kTable) html_ += "</table>\n";
    if (block_ == kCode) html_ += "</code></pre>\n";
    block_ = kNone;
  }

  void heading(std::string_view bare) {
    close();
    std::size_t level = bare.find_first_not_of('#');
    if (level == std::string_view::npos) level = bare.size();
    if (level > 6) level = 6;
    const std::string_view title = trimmed(bare.substr(level));
    const std::string tag = "h" + std::to_string(level);
    const std::string id = anchorOf(title);
    html_ +=
        "<" + tag + (id.empty() ? "" : " id=\"" + id + "\"") + ">" + inlineHtml(title) + "</" + tag + ">\n";
  }

  void tableRow(std::string_view bare) {
    if (isRule(bare)) return;
    const bool head = block_ != kTable;
    open(kTable);
    html_ += "<tr>";
    for (const std::string_view cell : tableCells(bare)) {
      html_ += head ? "<th>" : "<td>";
      html_ += inlineHtml(cell);
      html_ += head ? "</th>" : "</td>";
    }
    html_ += "</tr>\n";
  }

  std::string html_;
  BLOCK block_ = kNone;
  bool fenced_ = false;
};

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
  GUIDERENDERER renderer;
  if (trimmed(markdown).empty()) {
    renderer.line("# Finding codes");
    renderer.line("This build of the web checker has no guide to the finding codes.");
  }
  for (std::size_t start = 0; start < markdown.size();) {
    std::size_t end = markdown.find('\n', start);
    if (end == std::string_view::npos) end = markdown.size();
    renderer.line(markdown.substr(start, end - start));
    start = end + 1;
  }
  return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
         "<title>Finding codes - Vyr orders check</title>\n<link rel=\"stylesheet\" href=\"page.css\">\n"
         "</head>\n<body class=\"guide\">\n<nav><a href=\"./\">Back to the orders check</a></nav>\n<main>\n" +
         renderer.finish() + "</main>\n</body>\n</html>\n";
}

}  // namespace vyr
