// The data archive: one file that carries named text files (its members); its
// format, records of bytes shifted by their position (`shiftByte`), is in
// doc/formats.md.
//
// Members stand in list order; `loadFiles` and `addFile` put each new member at
// the front, so in memory they stand in the reverse of their file order.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "containers/list.h"
#include "text/buffer.h"

namespace vyr {

// One member: its upper-cased name and its lines. Key always 0.
class FILEOBJ : public OBJECT {
 public:
  explicit FILEOBJ(int key = 0, std::string_view name = {});
  std::string& getName(std::string& destination) const { return destination = name_; }
  [[nodiscard]] const std::string& name() const { return name_; }
  BUFFER* getBuffer() { return buffer_.get(); }

 private:
  std::string name_;
  std::unique_ptr<BUFFER> buffer_;
};

class FILES : public LIST<FILEOBJ> {
 public:
  explicit FILES(std::string_view path);

  // Replaces all members with those read from the path; a missing or damaged
  // archive ends the run through `fatalError`.
  void loadFiles();
  // Writes every member, in list order, to the path; a file that cannot be
  // written ends the run through `fatalError`, and so does a name or line byte
  // that cannot be stored (0xFE, 0xFF).
  void saveFiles();
  // The same two without ending the run when the file cannot be opened, read,
  // written or is damaged: they answer 0 and put the message that the fatal
  // path would report into `message`. A failed read leaves no members.
  [[nodiscard]] int readFiles(std::string& message);
  // After a failed readFiles: what is wrong in plain words, with the byte,
  // member and line where there is one ("damaged archive: byte 2: ...").
  [[nodiscard]] const std::string& plainFault() const { return plainFault_; }
  [[nodiscard]] int writeFiles(std::string& message);
  // Reads directory + name (no separator added) into a new front member.
  int addFile(std::string_view directory, std::string_view name);
  FILEOBJ* findFile(std::string_view name);
  // Replaces the target's lines with the member's when the member exists.
  void extractFile(std::string_view name, BUFFER& target);
  [[nodiscard]] const std::string& path() const { return path_; }

  static int shiftByte(long count, int value);
  static int unshiftByte(long count, int stored);
  static void testShiftByte();

 private:
  std::string path_;
  std::string plainFault_;
};

}  // namespace vyr
