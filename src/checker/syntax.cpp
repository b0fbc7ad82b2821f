// The checker's set-up (the shared command table and game data) and the check
// pass over a whole orders buffer.
#include "checker/syntax.h"

#include <cstdio>
#include <string>

#include "archive/files.h"
#include "checker/archivepath.h"
#include "checker/commandtable.h"
#include "gamedata/synworlds.h"
#include "text/utils.h"

namespace vyr {

namespace {

// Process-wide data shared by all SYNTAX objects.
std::unique_ptr<COMMANDTABLE> commandTable;
std::unique_ptr<SYNWORLDS> sharedGameData;
std::string archiveOverride;
int generation = 0;

const char kGameNumberWarning[] =
    "Warning: Game Number Specified Invalid. Using data that is common to all worlds of Vyr. \n ";

// The archive set by the program, or the one found by the rule for a program
// whose name is not known.
std::string archivePath() { return archiveOverride.empty() ? defaultArchivePath("") : archiveOverride; }

}  // namespace

SYNTAX::SYNTAX(int useArchive, int streamSelector) {
  loadSyntaxData(useArchive, streamSelector);
  currentShire_.setKey(0);
}

SYNTAX::~SYNTAX() { output_ = nullptr; }

void SYNTAX::setArchivePath(std::string_view path) { archiveOverride = path; }

SYNWORLDS* SYNTAX::gameData() { return sharedGameData.get(); }

int SYNTAX::dataGeneration() { return generation; }

void SYNTAX::loadSyntaxData(int useArchive, int streamSelector) {
  std::unique_ptr<FILES> archive;
  if (useArchive != 0 && (!commandTable || !sharedGameData)) {
    archive = std::make_unique<FILES>(archivePath());
    archive->loadFiles();
  }
  if (!commandTable) {
    ++generation;
    auto lines = std::make_unique<BUFFER>();
    if (archive) {
      archive->extractFile("vyrsyn.dat", *lines);
    } else if (lines->loadBuffer(SYNWORLDS::directory() + "/vyrsyn.dat", 0, 1) == 0) {
      fatalError("Unable to load the syntax checker data file.");
    }
    (void)lines->deleteLine(1);
    (void)lines->deleteLine(1);
    commandTable = std::make_unique<COMMANDTABLE>(std::move(lines));
  }
  if (!sharedGameData) {
    ++generation;
    sharedGameData = std::make_unique<SYNWORLDS>(0, nullptr, streamSelector);
    sharedGameData->setVerbose(0);
    sharedGameData->loadAll(archive.get(), streamSelector);
  }
}

void SYNTAX::releaseSyntaxData() {
  ++generation;
  commandTable.reset();
  sharedGameData.reset();
}

namespace {

bool isWhite(char c) { return isSpaceChar(c); }

constexpr int kTabWidth = 8;  // every tab becomes this many spaces

// What wordEquals(1, "#END", 1) answers, without the general word walk.
bool isEndLine(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && isWhite(text[i])) ++i;
  constexpr std::string_view kEnd = "#END";
  if (text.size() - i < kEnd.size()) return false;
  for (std::size_t k = 0; k < kEnd.size(); ++k) {
    if (upperChar(text[i + k]) != kEnd[k]) return false;
  }
  return i + kEnd.size() == text.size() || isWhite(text[i + kEnd.size()]);
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && isWhite(text.back())) text.remove_suffix(1);
  while (!text.empty() && isWhite(text.front())) text.remove_prefix(1);
  return text;
}

}  // namespace

// Most lines need at most trimming, which is done in the line's own storage;
// only a glued ';' needs a working copy.
int SYNTAX::prepareOrders(BUFFER& in) {
  for (int n = 1; n <= in.lineCount(); ++n) {
    STRING* line = in.lineString(n);
    LINEORIGIN* origin = nullptr;
    if (origins_ != nullptr) {
      origin = &origins_->emplace_back();
      origin->written = line->view();
      for (std::size_t i = 0; i < origin->written.size(); ++i) {
        origin->from.insert(origin->from.end(), origin->written[i] == '\t' ? kTabWidth : 1,
                            static_cast<int>(i));
      }
    }
    line->expandTabs(kTabWidth);
    std::string_view text = line->view();
    const std::size_t semicolon = text.find(';');
    const bool glued = semicolon != std::string_view::npos && semicolon > 0 && text[semicolon - 1] != ' ';
    if (glued) {
      prepared_.assign(text);
      prepared_.insert(semicolon, 1, ' ');
      text = prepared_;
      if (origin != nullptr) {
        const auto at = origin->from.begin() + static_cast<std::ptrdiff_t>(semicolon);
        origin->from.insert(at, *at);
      }
    }
    const std::string_view kept = trimmed(text);
    if (origin != nullptr) {
      const auto begin = static_cast<std::size_t>(kept.data() - text.data());
      origin->from.erase(origin->from.begin() + static_cast<std::ptrdiff_t>(begin + kept.size()),
                         origin->from.end());
      origin->from.erase(origin->from.begin(), origin->from.begin() + static_cast<std::ptrdiff_t>(begin));
      origin->compact();
    }
    if (glued || kept.size() != text.size()) line->setText(kept);
  }
  return in.lineCount();
}

int SYNTAX::checkOrders(BUFFER* in, BUFFER* out, int* errorCount, int* warningCount, int gameNo) {
  *errorCount = 0;
  *warningCount = 0;
  errors_ = 0;
  warnings_ = 0;
  int results = 0;
  if (out == nullptr || in == nullptr) return 0;
  output_ = out;
  loadSyntaxData(0, 0);

  world_ = sharedGameData->worldOfGame(gameNo);
  if (world_ == 0) {
    out->addWrappedText("", kGameNumberWarning, 2, 70, 0, "#> ");
    ++warnings_;
    ++results;
    if (sink_ != nullptr) {
      CHECKREPORT report;
      report.position = 0;
      report.end = 0;
      report.message =
          "Warning: Game Number Specified Invalid. Using data that is common to all worlds of Vyr.";
      report.isWarning = 1;
      report.code = FINDINGCODE::kUnknownGame;
      sink_->finding(report);
    }
  }

  int first = 1;
  const int header = in->findLine("#VYR", 0);
  if (header != 0) {
    out->addLine(in->lineString(header)->view());
    first = header + 1;
  }
  // With releaseInput_ each line is deleted once copied, before its output is
  // made, so that the output reuses the memory that the line has just left;
  // the next line takes its position, and `number` still counts the lines as
  // they were.
  for (int n = first, number = first; n <= in->lineCount(); ++number) {
    const STRING* line = in->lineString(n);
    const bool empty = line->isEmpty() != 0;
    const bool end = !empty && isEndLine(line->view());
    // The line as it goes out: an empty line and the end line as they stand,
    // an order indented by two spaces.
    indented_.assign(empty || end ? "" : "  ");
    indented_ += line->view();
    if (releaseInput_ != 0) {
      (void)in->deleteLine(n);
    } else {
      ++n;
    }
    if (empty || end) {
      out->addLine(indented_);
      if (end) break;
      continue;
    }
    parser_.parseLine(indented_);
    currentLine_ = number;
    results += checkOrderLine(parser_);
  }
  currentLine_ = 0;
  *errorCount = errors_;
  *warningCount = warnings_;
  return results > 0 ? 1 : 0;
}

}  // namespace vyr

namespace vyr {

const COMMANDTABLE* sharedCommandTable() { return commandTable.get(); }

}  // namespace vyr
