// Fuzz target: the data-table loader on any member text, and the name look-up
// on what it loaded. Every name and second name loaded must be found again,
// as an entry at or before its own key.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "archive/files.h"
#include "gamedata/syndat.h"
#include "text/buffer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The member as the archive would hold it: the text's lines, split at newlines.
  vyr::FILES archive("unused");
  auto member = std::make_unique<vyr::FILEOBJ>(0, "vyrspell.dat");
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::size_t begin = 0;
  while (begin < text.size()) {
    std::size_t end = text.find('\n', begin);
    if (end == std::string_view::npos) end = text.size();
    member->getBuffer()->addLine(text.substr(begin, end - begin));
    begin = end + 1;
  }
  if (archive.addFront(std::move(member)) == 0) std::abort();

  vyr::SYNDAT table;
  table.load("unused", "vyrspell.dat", &archive);
  for (int p = 1; p <= table.count(); ++p) {
    const vyr::SYNDATOBJ& entry = *table.get(p);
    if (entry.key() != p) std::abort();
    for (const std::string* name : {&entry.name(), &entry.text()}) {
      const int found = table.findName(*name, entry.getWorld());
      if (found < 1 || found > entry.key()) std::abort();
    }
    std::string extra;
    entry.getExtra(extra);
  }
  return 0;
}
