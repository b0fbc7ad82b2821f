// The process-wide store of the small blocks that a large orders file is made
// of: list nodes, line objects and line texts. A million-line file needs
// millions of them; taking each from the general heap costs a call, a header
// per block and scattered pages, while here a block costs a pointer bump or a
// pop from a free list, has no header, and blocks of one run lie side by side.
//
// Blocks come in size classes of 8 bytes up to kLargestPooled; larger requests
// go to the general heap. A released block goes onto the free list of its
// class and is handed out again before fresh memory is touched, so memory given
// back by one buffer serves the next. The store takes memory from the system in
// chunks of growing size (the large ones advised as huge pages, which makes a
// fresh megabyte far cheaper to touch) and keeps every chunk until the process
// ends: what a run needed once it is likely to need again.
//
// Each thread has a store of its own, so that taking and giving back a block
// needs no lock. A block may be given back on another thread than the one that
// took it: it then joins the free list of the thread that gives it back. When a
// thread ends, its store (chunks and free lists) is kept for the next thread
// that needs a chunk, so that a program that starts and ends threads does not
// take fresh memory for each.
//
// Callers must release a block with the size they allocated it with. Under AddressSanitizer
// every block comes from the general heap, so that the sanitizers watch each
// block on its own. The common cases of `allocate` and `release` are inline.
#pragma once

#include <cstddef>

namespace vyr {

// g++ marks an AddressSanitizer build with __SANITIZE_ADDRESS__, clang answers
// __has_feature(address_sanitizer) instead.
#if defined(__SANITIZE_ADDRESS__)
#define VYR_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VYR_ADDRESS_SANITIZER 1
#endif
#endif

class BLOCKPOOL {
 public:
  static constexpr std::size_t kLargestPooled = 256;
  // Off under AddressSanitizer: every block then comes from the general heap.
#if defined(VYR_ADDRESS_SANITIZER)
  static constexpr bool kPooling = false;
#else
  static constexpr bool kPooling = true;
#endif

  // A block of at least `bytes` bytes, aligned for any object of up to 8-byte
  // alignment; null when memory is out.
  static void* allocate(std::size_t bytes) {
    if (kPooling && bytes - 1 < kLargestPooled && !exhausted_) {
      const std::size_t index = (bytes - 1) / kGranule;
      if (FreeBlock* block = free_[index]) {
        free_[index] = block->next;
        return block;
      }
      const std::size_t size = (index + 1) * kGranule;
      if (size <= static_cast<std::size_t>(end_ - cursor_)) {
        char* block = cursor_;
        cursor_ += size;
        return block;
      }
    }
    return allocateElsewhere(bytes);
  }
  // Gives back a block that `allocate(bytes)` handed out; null is ignored.
  static void release(void* block, std::size_t bytes) {
    if (kPooling && block != nullptr && bytes - 1 < kLargestPooled) {
      const std::size_t index = (bytes - 1) / kGranule;
      auto* freed = static_cast<FreeBlock*>(block);
      freed->next = free_[index];
      free_[index] = freed;
      return;
    }
    releaseElsewhere(block, bytes);
  }
  // The bytes that a block of a request of `bytes` may hold (its class size);
  // blocks from the general heap hold exactly what was asked.
  static std::size_t blockSize(std::size_t bytes) {
    if (!kPooling || bytes > kLargestPooled) return bytes;
    return bytes == 0 ? kGranule : (bytes + kGranule - 1) / kGranule * kGranule;
  }
  // Bytes taken from the system so far (chunks only; the large blocks not counted).
  static std::size_t reservedBytes();
  // While on, `allocate` answers null as if memory were out: for tests of the
  // callers' out-of-memory paths.
  static void simulateExhaustion(int on);

 private:
  static constexpr std::size_t kGranule = 8;
  static constexpr std::size_t kClasses = kLargestPooled / kGranule;

  // A free block holds the link to the next free block of its class.
  struct FreeBlock {
    FreeBlock* next;
  };

  static void* allocateElsewhere(std::size_t bytes);
  static void releaseElsewhere(void* block, std::size_t bytes);
  static bool addChunk();
  static void adoptSpare();
  static void retire();
  friend struct POOLRETIRER;

  // This thread's store.
  static inline thread_local FreeBlock* free_[kClasses] = {};
  static inline thread_local char* cursor_ = nullptr;  // the untouched rest of the newest chunk
  static inline thread_local char* end_ = nullptr;
  static inline thread_local bool exhausted_ = false;
};

}  // namespace vyr
