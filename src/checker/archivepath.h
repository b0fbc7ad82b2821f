// Where a program finds the data archive "syntax.dat" when none is named: the
// rule every program of the checker follows, given the name it was started by.
#pragma once

#include <string>
#include <string_view>

namespace vyr {

// "syntax.dat" in the directory of the real executable (links followed), or
// "syntax.dat" when that directory cannot be told.
std::string archiveBesideExecutable();

// The archive for a program started as `programName` (argv[0]):
// - a name with a directory ("bin/VyrSyn", "/usr/bin/VyrSyn"): the archive in
//   that directory; when there is none there (a symbolic link to the program
//   in a directory of its own), the one beside the real executable; when
//   neither exists, the one in the named directory all the same, so that the
//   load reports that path;
// - a bare name (a start through the search path): the archive beside the
//   real executable, or else "syntax.dat" in the current directory.
std::string defaultArchivePath(std::string_view programName);

}  // namespace vyr
