// A text that grows only at its end, as a program's output is put together
// before it is written, with room in front for one line that must come first
// but is known only at the end (the summary line of a check).
//
// The text lies in one area reserved in the address space: pages that are
// never written cost no memory, a large area is advised as huge pages (far
// fewer fresh pages for the kernel to hand out and clear), and when it must grow the
// system moves its pages instead of copying them. So a text of any size is
// made with no copy and no more memory than its own bytes.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

namespace vyr {

class OUTTEXT {
 public:
  // The room in front of the text, for `prepend`.
  static constexpr std::size_t kFrontRoom = 256;

  // `expected`: about how many bytes the text will hold (only address space is
  // reserved for them).
  explicit OUTTEXT(std::size_t expected = 0);
  ~OUTTEXT();
  OUTTEXT(const OUTTEXT&) = delete;
  OUTTEXT& operator=(const OUTTEXT&) = delete;

  void append(std::string_view text) {
    if (text.size() > capacity_ - end_) grow(text.size());
    if (!text.empty()) std::memcpy(area_ + end_, text.data(), text.size());
    end_ += text.size();
  }
  // The text and a newline.
  void appendLine(std::string_view line) {
    if (line.size() + 1 > capacity_ - end_) grow(line.size() + 1);
    if (!line.empty()) std::memcpy(area_ + end_, line.data(), line.size());
    end_ += line.size();
    area_[end_++] = '\n';
  }
  // Drops the text; the area stays, for a text of about the same size.
  void clear() { begin_ = end_ = kFrontRoom; }
  // Puts the text in front of everything so far; 0 (and nothing changes) when
  // it does not fit the room left in front.
  int prepend(std::string_view text);

  [[nodiscard]] std::string_view view() const { return {area_ + begin_, end_ - begin_}; }
  [[nodiscard]] std::size_t size() const { return end_ - begin_; }
  [[nodiscard]] bool empty() const { return end_ == begin_; }

 private:
  void grow(std::size_t more);

  char* area_ = nullptr;
  std::size_t capacity_ = 0;  // bytes of the reserved area
  std::size_t begin_ = kFrontRoom;
  std::size_t end_ = kFrontRoom;
};

}  // namespace vyr
