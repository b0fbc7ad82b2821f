// The data archive: its members, the record reader and writer, and the byte
// shift that keeps the record markers out of the stored text.
#include "archive/files.h"

#include <cctype>
#include <cstdio>
#include <memory>
#include <string>

#include "text/fatal.h"
#include "text/words.h"

namespace vyr {

namespace {

constexpr unsigned char kRecordStart = 0x00;
constexpr unsigned char kNameEnd = 0xFF;
constexpr unsigned char kNeverStored = 0xFE;
constexpr long kShiftModulus = 253;
constexpr std::size_t kBlockSize = std::size_t{1} << 20;
// Reads go through a block below the heap's threshold for mapping blocks of
// their own: the archive is read at every start, and a mapping costs more than
// the read.
constexpr std::size_t kReadBlockSize = std::size_t{64} << 10;

constexpr char kLoadFailed[] = "Unable to load the file in FILES::loadFiles.";
constexpr char kNoMember[] = "Unable to allocate memory in FILES::loadFiles.";
constexpr char kDamaged[] = "Damaged data archive in FILES::loadFiles.";
constexpr char kUnfinished[] = "Something is wrong the line should have already been added to the buffer.";
constexpr char kSaveFailed[] = "Unable to save the file in FILES::saveFiles.";

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Closes the stream and answers 1 when everything written reached the file.
int closeWritten(FilePtr& file) {
  const int clean = std::ferror(file.get()) == 0;
  return (std::fclose(file.release()) == 0 && clean) ? 1 : 0;
}

// Decodes archive bytes, fed in blocks of any size, into members at the front
// of an archive. It follows the record format strictly:
//   record := 0x00 name-byte* 0xFF (text-byte* newline)*
// and keeps the first fault it meets; nothing more is decoded after it.
class RecordReader {
 public:
  explicit RecordReader(FILES& files) : files_(files) {}

  // Answers 1 while the bytes so far form a sound archive.
  int feed(const unsigned char* bytes, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
      if (!take(bytes[i])) return 0;
    }
    return 1;
  }
  // Answers 1 when the archive ends where a record may end.
  int finish() {
    if (where_ == Where::kInName)
      return fail(kUnfinished, "it ends inside a member name: the archive is cut short");
    if (!text_.empty()) return fail(kUnfinished, "it ends inside a line: the archive is cut short");
    return 1;
  }
  [[nodiscard]] const char* fault() const { return fault_; }
  [[nodiscard]] const std::string& plainFault() const { return plain_; }

 private:
  enum class Where { kBeforeRecord, kInName, kInLines };

  // `what` is the fault in plain words; the place (byte, member, line) is added.
  int fail(const char* message, std::string_view what) {
    fault_ = message;
    plain_ = "byte " + std::to_string(offset_) + ": " + std::string(what);
    if (message == kUnfinished) plain_ = std::string(what);
    if (member_ != nullptr && where_ == Where::kInLines) {
      const int line = member_->getBuffer()->lineCount() + 1;
      plain_ += " (member " + lowerName(member_->name()) + ", line " + std::to_string(line) + ")";
    }
    return 0;
  }

  static std::string lowerName(std::string name) {
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
  }

  int take(unsigned char stored) {
    ++offset_;
    if (++turn_ == kShiftModulus) turn_ = 0;
    if (stored == kRecordStart) return startRecord();
    if (stored == kNameEnd) return endName();
    if (stored == kNeverStored) return fail(kDamaged, "the byte 0xFE, which no archive holds");
    // FILES::unshiftByte at the byte's position, whose remainder is kept.
    const long value = stored + (kShiftModulus - 1) - turn_;
    return takeText(static_cast<int>(value > kShiftModulus ? value - kShiftModulus : value));
  }

  // A record may only start before the first record or after a complete line
  // or name end marker; anywhere else text would be lost.
  int startRecord() {
    if (where_ == Where::kInName) return fail(kDamaged, "a new member starts inside a member name");
    if (!text_.empty()) return fail(kDamaged, "a new member starts inside a line");
    turn_ = 1;
    where_ = Where::kInName;
    return 1;
  }

  int endName() {
    if (where_ != Where::kInName) return fail(kDamaged, "a member name ends where none began");
    auto member = std::make_unique<FILEOBJ>(0, text_);
    member_ = member.get();
    if (!files_.addFront(std::move(member))) return fail(kNoMember, "out of memory");
    where_ = Where::kInLines;
    text_.clear();
    return 1;
  }

  int takeText(int value) {
    if (where_ == Where::kBeforeRecord)
      return fail(kDamaged, "text before the first member: not a data archive");
    if (value != '\n') {
      text_.push_back(static_cast<char>(value));
      return 1;
    }
    if (where_ == Where::kInName) return fail(kDamaged, "a line break inside a member name");
    member_->getBuffer()->addLine(text_);
    text_.clear();
    return 1;
  }

  FILES& files_;
  Where where_ = Where::kBeforeRecord;
  long turn_ = 0;  // the position of the last byte taken in its record, modulo kShiftModulus
  std::string text_;
  FILEOBJ* member_ = nullptr;
  const char* fault_ = nullptr;
  long offset_ = 0;  // 1-based offset in the archive of the byte just taken
  std::string plain_;
};

// Encodes records into a stream through a block-sized holding area.
class RecordWriter {
 public:
  explicit RecordWriter(std::FILE* file) : file_(file) { pending_.reserve(kBlockSize + 1); }

  void writeRecord(FILEOBJ& member) {
    position_ = 1;
    put(kRecordStart);
    ++position_;
    putText(member.name());
    put(kNameEnd);
    ++position_;
    BUFFER* lines = member.getBuffer();
    for (int n = 1; n <= lines->lineCount(); ++n) {
      putText(lines->lineString(n)->view());
      put(static_cast<unsigned char>(FILES::shiftByte(position_, '\n')));
      ++position_;
    }
  }

  // Answers 1 when every byte so far reached the stream.
  int flush() {
    if (!pending_.empty() && std::fwrite(pending_.data(), 1, pending_.size(), file_) != pending_.size()) {
      ok_ = 0;
    }
    pending_.clear();
    return ok_;
  }

 private:
  void putText(std::string_view text) {
    for (const char c : text) {
      put(static_cast<unsigned char>(FILES::shiftByte(position_, static_cast<unsigned char>(c))));
      ++position_;
    }
  }

  void put(unsigned char byte) {
    pending_.push_back(static_cast<char>(byte));
    if (pending_.size() >= kBlockSize) flush();
  }

  std::FILE* file_;
  std::string pending_;
  long position_ = 0;
  int ok_ = 1;
};

}  // namespace

FILEOBJ::FILEOBJ(int key, std::string_view name) : OBJECT(key), buffer_(std::make_unique<BUFFER>()) {
  toUpperCopy(name_, name);
}

FILES::FILES(std::string_view path) : path_(path) {}

void FILES::loadFiles() {
  std::string message;
  if (!readFiles(message)) fatalError(message);
}

int FILES::readFiles(std::string& message) {
  clear();
  FilePtr file(std::fopen(path_.c_str(), "rb"));
  plainFault_.clear();
  if (!file) {
    message = kLoadFailed;
    plainFault_ = "cannot be opened for reading";
    return 0;
  }
  RecordReader reader(*this);
  // read into at once: left unset
  const auto block = std::unique_ptr<unsigned char[]>(new unsigned char[kReadBlockSize]);
  int sound = 1;
  std::size_t got = 0;
  while (sound && (got = std::fread(block.get(), 1, kReadBlockSize, file.get())) > 0) {
    sound = reader.feed(block.get(), got);
  }
  if (sound && std::ferror(file.get()) != 0) {
    message = kLoadFailed;
    plainFault_ = "cannot be read";
  } else if (sound && reader.finish()) {
    return 1;
  } else {
    message = reader.fault();
    plainFault_ = "damaged archive: " + reader.plainFault();
  }
  clear();
  return 0;
}

void FILES::saveFiles() {
  std::string message;
  if (!writeFiles(message)) fatalError(message);
}

int FILES::writeFiles(std::string& message) {
  FilePtr file(std::fopen(path_.c_str(), "wb"));
  if (!file) {
    message = kSaveFailed;
    return 0;
  }
  RecordWriter writer(file.get());
  for (int i = 1; i <= count(); ++i) writer.writeRecord(*get(i));
  const int written = writer.flush();
  if (closeWritten(file) && written) return 1;
  message = kSaveFailed;
  return 0;
}

int FILES::addFile(std::string_view directory, std::string_view name) {
  if (findFile(name) != nullptr) fatalError("Request File To Be Added Was Already In The List.");
  auto member = std::make_unique<FILEOBJ>(0, name);
  // The path keeps the name as the caller gave it: the stored name is upper
  // case, the file on disk need not be.
  std::string filePath(directory);
  filePath += name;
  member->getBuffer()->loadBuffer(filePath, 0, 0);
  if (!addFront(std::move(member))) fatalError("Unable to alloacte memory in FILES::addFile.");
  return 1;
}

FILEOBJ* FILES::findFile(std::string_view name) {
  std::string wanted;
  toUpperCopy(wanted, name);
  for (int i = 1; i <= count(); ++i) {
    FILEOBJ* member = get(i);
    if (member->name() == wanted) return member;
  }
  return nullptr;
}

void FILES::extractFile(std::string_view name, BUFFER& target) {
  FILEOBJ* member = findFile(name);
  if (member == nullptr || member->getBuffer() == &target) return;
  target.clearBuffer();
  (void)member->getBuffer()->copyLines(target, 0, 0);
}

int FILES::shiftByte(long count, int value) {
  if (value <= 0 || value > kShiftModulus) {
    const std::string detail = "Char value : " + std::to_string(value);
    fatalFault(FATALFAULT{"FILES::shiftByte - Cannot Encode Data Beyond 1 < or > 253.", detail, {}});
  }
  const long turn = ((count % kShiftModulus) + kShiftModulus) % kShiftModulus;
  return static_cast<int>((turn + value) % kShiftModulus) + 1;
}

int FILES::unshiftByte(long count, int stored) {
  const long turn = ((count % kShiftModulus) + kShiftModulus) % kShiftModulus;
  const long value = stored + (kShiftModulus - 1) - turn;
  return static_cast<int>(value > kShiftModulus ? value - kShiftModulus : value);
}

void FILES::testShiftByte() {
  for (long count = 0; count <= 500; ++count) {
    for (int value = 1; value <= kShiftModulus; ++value) {
      const int encoded = shiftByte(count, value);
      const int decoded = unshiftByte(count, encoded);
      if (decoded != value) {
        std::printf("Error Shifting (%c-%d) Encoded (%c-%d) Decoded (%c-%d) At Byte Count %ld.\n", value,
                    value, encoded, encoded, decoded, decoded, count);
      }
    }
  }
}

}  // namespace vyr
