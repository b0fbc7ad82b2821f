#include "vyrmail/handler.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <map>

#include "vyrmail/loops.h"
#include "vyrmail/mailparse.h"
#include "vyrmail/orderscheck.h"

namespace vyr {
namespace {

std::string counted(int count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string countsOf(int errors, int warnings) {
  return counted(errors, "error", "errors") + ", " + counted(warnings, "warning", "warnings");
}

int holdsHeader(std::string_view line) {
  for (std::size_t i = 0; i + 4 <= line.size(); ++i) {
    if (strncasecmp(line.data() + i, "#vyr", 4) == 0) return 1;
  }
  return 0;
}

std::vector<std::string_view> linesOf(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    end = end == std::string_view::npos ? text.size() : end + 1;
    lines.push_back(text.substr(start, end - start));
    start = end;
  }
  return lines;
}

// The blocks checked in one mail; a header line past the last starts none.
constexpr std::size_t kMaxBlocks = 16;

// One block of orders in the part: from a header line to the line before
// the next (the first block from the part's first line).
struct BLOCK {
  std::string_view text;
  int firstLine = 1;
  std::string_view header;  // its header line, or empty
  BLOCKCHECK check;
};

std::vector<BLOCK> blocksOf(std::string_view text) {
  const std::vector<std::string_view> lines = linesOf(text);
  std::vector<std::size_t> headers;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (holdsHeader(lines[i]) && headers.size() < kMaxBlocks) headers.push_back(i);
  }
  std::vector<BLOCK> blocks;
  if (headers.size() <= 1) {
    BLOCK whole;
    whole.text = text;
    if (!headers.empty()) whole.header = lines[headers.front()];
    blocks.push_back(whole);
    return blocks;
  }
  auto offsetOf = [&](std::size_t line) {
    return line < lines.size() ? static_cast<std::size_t>(lines[line].data() - text.data()) : text.size();
  };
  for (std::size_t k = 0; k < headers.size(); ++k) {
    const std::size_t first = k == 0 ? 0 : headers[k];
    const std::size_t end = k + 1 < headers.size() ? headers[k + 1] : lines.size();
    BLOCK block;
    block.text = text.substr(offsetOf(first), offsetOf(end) - offsetOf(first));
    block.firstLine = static_cast<int>(first) + 1;
    block.header = lines[headers[k]];
    blocks.push_back(block);
  }
  return blocks;
}

// The part holding the orders: the first with a header line, else the first
// text body, else the first text attachment; nullptr for none.
const TEXTPART* ordersPart(const MAILVIEW& mail) {
  for (const TEXTPART& part : mail.texts) {
    if (holdsHeader(part.text)) return &part;
  }
  for (const TEXTPART& part : mail.texts) {
    if (!part.attachment) return &part;
  }
  return mail.texts.empty() ? nullptr : &mail.texts.front();
}

std::string_view headerOnly(std::string_view bytes, long long limit) {
  std::string_view head = bytes.substr(0, static_cast<std::size_t>(std::min<long long>(limit, 65536)));
  std::size_t end = head.find("\n\n");
  if (const std::size_t crlf = head.find("\r\n\r\n"); crlf < end) end = crlf;
  return end == std::string_view::npos ? head : head.substr(0, end + 1);
}

std::string trimmedLine(std::string_view line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  return std::string(line);
}

// The orders one player files from the mail: the blocks the roster lets them file.
struct PLAYERORDERS {
  std::string player;
  std::string orders;
  std::vector<int> blocks;  // 1-based
};

class MAILHANDLER {
 public:
  MAILHANDLER(const DESK& desk, std::string_view bytes, long long total) : desk_(desk), bytes_(bytes), total_(total) {}

  HANDLING run() {
    const int oversize = total_ > desk_.settings.maxBytes;
    const MAILVIEW mail = parseMail(oversize ? headerOnly(bytes_, desk_.settings.maxBytes) : bytes_);
    out_.replyTo = replyAddress(mail, desk_.settings.sender, desk_.settings.haveSender);
    out_.ignored = noReplyReason(mail, out_.replyTo);
    if (!out_.ignored.empty()) {
      out_.summary = "not answered: " + out_.ignored;
      return std::move(out_);
    }
    out_.answer = 1;
    REPLY& reply = out_.reply;
    reply.from = desk_.from;
    reply.to = out_.replyTo;
    reply.subject = cleanHeaderValue(mail.subject);
    reply.inReplyTo = mail.messageId;
    reply.references = mail.references;
    const std::string game = std::to_string(desk_.settings.gameNo);
    if (oversize) {
      reply.text = "Your mail of " + std::to_string(total_) + " bytes is larger than the " +
                   std::to_string(desk_.settings.maxBytes) + " bytes this orders desk takes for game " + game +
                   ".\nNothing was checked or filed. Send the orders alone, as plain text.\n";
      out_.summary = "over the size limit";
      return std::move(out_);
    }
    const TEXTPART* part = ordersPart(mail);
    if (!part) {
      if (mail.htmlParts > 0) {
        reply.text = "Your mail holds HTML only, which is not read as orders for game " + game +
                     ".\nNothing was checked or filed. Send the orders as plain text, or attach the orders file.\n";
        out_.summary = "HTML only";
      } else {
        reply.text = "No orders for game " + game + " were found in your mail: it holds no text" +
                     (mail.truncated ? " within its first " + std::to_string(kMaxParts) + " parts and " +
                                           std::to_string(kMaxDepth) + " levels"
                                     : std::string()) +
                     ".\nNothing was checked or filed. Send the orders as plain text, or attach the orders file.\n";
        out_.summary = "no text";
      }
      return std::move(out_);
    }
    checkOrders(mail, *part);
    return std::move(out_);
  }

 private:
  void checkOrders(const MAILVIEW& mail, const TEXTPART& part) {
    std::vector<BLOCK> blocks = blocksOf(part.text);
    const int several = blocks.size() > 1;
    int errors = 0;
    int warnings = 0;
    int unchecked = 0;
    std::string json;
    for (std::size_t k = 0; k < blocks.size(); ++k) {
      const std::string name = several ? "orders-" + std::to_string(k + 1) + ".txt" : "orders.txt";
      blocks[k].check = checkBlock(blocks[k].text, desk_.settings.gameNo, blocks[k].firstLine, name);
      errors += blocks[k].check.errors;
      warnings += blocks[k].check.warnings;
      unchecked += blocks[k].check.checked ? 0 : 1;
      json += blocks[k].check.json;
      out_.reply.attachments.push_back({name, "text/plain", blocks[k].check.annotated});
    }
    json += jsonTotal(static_cast<int>(blocks.size()), unchecked, errors, warnings);
    out_.reply.attachments.push_back({"findings.json", "application/json", json});

    std::string text = "orders for game " + std::to_string(desk_.settings.gameNo) + " received: ";
    if (several) text += counted(static_cast<int>(blocks.size()), "block", "blocks") + ", ";
    text += countsOf(errors, warnings) + "\n";
    const std::vector<std::string_view> lines = linesOf(part.text);
    if (std::count_if(lines.begin(), lines.end(), holdsHeader) > static_cast<std::ptrdiff_t>(kMaxBlocks)) {
      text += "only the first " + std::to_string(kMaxBlocks) +
              " #VYR blocks were checked: send the others in a mail of their own\n";
    }
    for (std::size_t k = 0; k < blocks.size(); ++k) {
      const BLOCKCHECK& check = blocks[k].check;
      text += "\n";
      if (several) {
        text += "block " + std::to_string(k + 1) + " (from line " + std::to_string(blocks[k].firstLine) +
                ", orders-" + std::to_string(k + 1) + ".txt): " + countsOf(check.errors, check.warnings) + "\n";
      }
      if (!check.checked) text += "not checked to the end: " + check.reason + "\n";
      for (const std::string& line : check.findingLines) text += line + "\n";
    }
    text += "\n" + decodedLine(mail, part) + "\n";
    out_.summary = countsOf(errors, warnings);
    if (desk_.store) {
      const std::string filed = file(blocks, part);
      if (out_.tempFail) return;
      text += "\n" + filed;
    }
    text += "\nThe annotated orders are attached (";
    text += several ? "orders-1.txt to orders-" + std::to_string(blocks.size()) + ".txt" : "orders.txt";
    text += "), and the findings as JSON lines (findings.json).\n";
    out_.reply.text = std::move(text);
  }

  static std::string decodedLine(const MAILVIEW& mail, const TEXTPART& part) {
    std::vector<std::string> notes;
    if (part.forwarded) notes.push_back("found in a forwarded mail");
    if (part.attachment) notes.push_back("found in the attachment " + cleanHeaderValue(part.filename, 80));
    notes.insert(notes.end(), part.notes.begin(), part.notes.end());
    if (mail.truncated) notes.push_back("parts beyond the first " + std::to_string(kMaxParts) + " or nested deeper than " +
                                        std::to_string(kMaxDepth) + " levels skipped");
    if (notes.empty()) return "decoded: plain text, nothing to convert";
    std::string line = "decoded: ";
    for (std::size_t i = 0; i < notes.size(); ++i) line += (i ? ", " : "") + notes[i];
    return line;
  }

  // Prepares the filings; answers the reply's lines about them.
  std::string file(const std::vector<BLOCK>& blocks, const TEXTPART& part) {
    std::vector<PLAYERORDERS> players;
    std::string lines;
    if (!desk_.haveRoster) {
      players.push_back({out_.replyTo, part.text, {}});
    } else {
      const std::vector<const ROSTERENTRY*> entries = entriesFor(desk_.roster, out_.replyTo);
      for (std::size_t k = 0; k < blocks.size(); ++k) {
        const std::string which = blocks.size() > 1 ? "block " + std::to_string(k + 1) + " " : "orders ";
        if (entries.empty()) {
          lines += "not filed: " + which + "- the address " + out_.replyTo +
                   " may not file orders for this game\n";
          continue;
        }
        const std::string password = headerPassword(trimmedLine(blocks[k].header));
        const ROSTERENTRY* player = nullptr;
        for (const ROSTERENTRY* entry : entries) {
          if (passwordMatches(*entry, password)) {
            player = entry;
            break;
          }
        }
        if (!player) {
          lines += "not filed: " + which + "- " +
                   (blocks[k].header.empty() ? std::string("no #VYR header line carries the password")
                                             : "the password on the header line is not accepted") +
                   "\n";
          continue;
        }
        auto same = std::find_if(players.begin(), players.end(),
                                 [&](const PLAYERORDERS& p) { return p.player == player->name; });
        if (same == players.end()) {
          players.push_back(PLAYERORDERS{player->name, "", {}});
          same = players.end() - 1;
        }
        same->orders += blocks[k].text;
        same->blocks.push_back(static_cast<int>(k + 1));
      }
    }
    std::string filedNames;
    for (const PLAYERORDERS& player : players) {
      FILING filing;
      std::string error;
      if (!desk_.store->prepare(player.player, player.orders, std::string(bytes_), filing, error)) {
        out_.tempFail = 1;
        out_.fault = "the store: " + error;
        out_.filings.clear();
        return {};
      }
      std::string number = std::to_string(filing.number);
      number.insert(0, number.size() < 4 ? 4 - number.size() : 0, '0');
      lines += "filed for " + player.player + " as filing " + number;
      if (!filing.replaces) {
        lines += ", the first";
      } else if (filing.changedLines == 0) {
        lines += ", replacing the one before: unchanged";
      } else {
        lines += ", replacing the one before: changed " + counted(filing.changedLines, "line", "lines");
      }
      lines += "\nreceipt: " + filing.receipt + "\n";
      filedNames += (filedNames.empty() ? "" : ", ") + player.player + " (" + number + ")";
      out_.filings.push_back(std::move(filing));
    }
    out_.summary += filedNames.empty() ? ", not filed" : ", filed " + filedNames;
    return lines;
  }

  const DESK& desk_;
  std::string_view bytes_;
  long long total_;
  HANDLING out_;
};

}  // namespace

HANDLING handleMail(const DESK& desk, std::string_view bytes, long long totalBytes) {
  return MAILHANDLER(desk, bytes, totalBytes < 0 ? static_cast<long long>(bytes.size()) : totalBytes).run();
}

}  // namespace vyr
