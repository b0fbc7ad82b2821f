// The checker's set-up (the shared command table and game data) and the check
// pass over a whole orders buffer.
#include "checker/syntax.h"

#include <cstdio>
#include <string>

#include "archive/files.h"
#include "checker/archivepath.h"
#include "checker/commandtable.h"
#include "checker/orderlines.h"
#include "gamedata/synworlds.h"
#include "text/fatal.h"

namespace vyr {

namespace {

// Process-wide data shared by all SYNTAX objects.
std::unique_ptr<COMMANDTABLE> commandTable;
std::unique_ptr<SYNWORLDS> sharedGameData;
std::string archiveOverride;
int generation = 0;


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

const SYNWORLDS* SYNTAX::gameData() { return sharedGameData.get(); }

int SYNTAX::dataGeneration() { return generation; }

void SYNTAX::loadSyntaxData(int useArchive, int streamSelector) {
  // Loaded already: every checker on every thread only reads the data.
  if (commandTable && sharedGameData) return;
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
  loaded_ = true;
}

void SYNTAX::releaseSyntaxData() {
  loaded_ = false;
  ++generation;
  commandTable.reset();
  sharedGameData.reset();
}

// Most lines need at most trimming, which is done in the line's own storage.
int SYNTAX::prepareOrders(BUFFER& in) {
  if (origins_ != nullptr) origins_->reserve(origins_->size() + static_cast<std::size_t>(in.lineCount()));
  for (int n = 1; n <= in.lineCount(); ++n) {
    STRING* line = in.lineString(n);
    const std::string_view text = line->view();
    LINEORIGIN* origin = origins_ != nullptr ? &origins_->emplace_back() : nullptr;
    const std::string_view prepared = prepareLine(text, prepared_, origin);
    if (prepared.data() != text.data() || prepared.size() != text.size()) line->setText(prepared);
  }
  return in.lineCount();
}

int SYNTAX::checkOrders(BUFFER* in, BUFFER* out, int* errorCount, int* warningCount, int gameNo) {
  *errorCount = 0;
  *warningCount = 0;
  errors_ = 0;
  warnings_ = 0;
  if (out == nullptr || in == nullptr) return 0;
  BUFFERORDERLINES lines(*in, 1, releaseInput_);
  return checkOrderLines(lines, out, nullptr, errorCount, warningCount, gameNo);
}

}  // namespace vyr

namespace vyr {

const COMMANDTABLE* sharedCommandTable() { return commandTable.get(); }

}  // namespace vyr
