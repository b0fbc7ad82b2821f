// Writing a file that must not exist yet, without ever replacing or writing
// through anything that does.
//
// The text goes to a temporary file in the target's own directory (named
// ".<name>.XXXXXX"), which is then hard-linked to the final name: the link
// fails when anything at all stands there (a file, a directory, a symbolic
// link, dangling or not), so nothing is replaced, and the final name appears
// only once the whole text is written. The file is synced to the disk before it
// is linked and its directory after, so that after a crash the name is either
// missing or stands for the whole text. The temporary is always removed again.
// On a file system without hard links the file is created exclusively instead
// (O_CREAT | O_EXCL, which refuses symbolic links too) and removed again when
// the write or a sync fails. The new file gets the usual permissions (0666 less umask).
#pragma once

#include <string>
#include <string_view>

namespace vyr {

// Answers 1 when the file was created with exactly `text` in it, 0 otherwise
// (nothing is left behind then).
[[nodiscard]] int writeNewFile(const std::string& path, std::string_view text);

// Flushes an open file or directory to the disk; 0 on success, -1 with errno
// set otherwise (as fsync does).
using SyncFunction = int (*)(int fd);

// The two ways of writing, exposed for tests. Each answers 1 or 0 like
// writeNewFile; `linkUnsupported`, when given, is set to 1 when the temporary
// could not be linked because the file system has no hard links. `sync`
// replaces fsync (null: fsync), so that tests can watch it and make it fail.
[[nodiscard]] int writeNewFileByLink(const std::string& path, std::string_view text,
                                     int* linkUnsupported = nullptr, SyncFunction sync = nullptr);
[[nodiscard]] int writeNewFileExclusive(const std::string& path, std::string_view text,
                                        SyncFunction sync = nullptr);

}  // namespace vyr
