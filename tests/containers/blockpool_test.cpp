#include "containers/blockpool.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace vyr {
namespace {

struct Held {
  unsigned char* block;
  std::size_t bytes;
  unsigned char fill;
};

// Blocks of every size, held at once, never overlap and stay aligned; released
// blocks come back for their class, and what was written stays put.
TEST(BlockPoolTest, HandsOutSeparateAlignedBlocksAndRecyclesThem) {
  std::vector<Held> held;
  for (int round = 0; round < 3; ++round) {
    for (std::size_t bytes : {0, 1, 7, 8, 9, 16, 24, 40, 255, 256, 257, 1000, 70000}) {
      auto* block = static_cast<unsigned char*>(BLOCKPOOL::allocate(bytes));
      ASSERT_NE(block, nullptr) << bytes;
      EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block) % 8, 0u) << bytes;
      const auto fill = static_cast<unsigned char>(held.size() + 1);
      std::memset(block, fill, bytes);
      held.push_back({block, bytes, fill});
    }
  }
  for (const Held& h : held) {
    for (std::size_t i = 0; i < h.bytes; ++i) ASSERT_EQ(h.block[i], h.fill) << h.bytes;
  }
  // A released pooled block is the next one of its class.
  void* again = nullptr;
  for (const Held& h : held) {
    BLOCKPOOL::release(h.block, h.bytes);
    if (h.bytes == 40) {
      again = BLOCKPOOL::allocate(33);  // 33 to 40 bytes share the class of 40
#if !defined(VYR_ADDRESS_SANITIZER)      // the sanitizer build takes every block from the heap
      EXPECT_EQ(again, h.block);
#endif
      BLOCKPOOL::release(again, 33);
    }
  }
  BLOCKPOOL::release(nullptr, 16);  // ignored
#if !defined(VYR_ADDRESS_SANITIZER)
  EXPECT_GT(BLOCKPOOL::reservedBytes(), 0u);
#endif
}

TEST(BlockPoolTest, ClassSizesAndSimulatedExhaustion) {
  const std::vector<std::pair<std::size_t, std::size_t>> sizes = {
      {0, 8}, {1, 8}, {8, 8}, {9, 16}, {24, 24}, {25, 32}, {256, 256}, {257, 257}, {5000, 5000}};
  for (const auto& [bytes, size] : sizes) {
#if defined(VYR_ADDRESS_SANITIZER)  // every block from the heap, exactly as large as asked
    EXPECT_EQ(BLOCKPOOL::blockSize(bytes), bytes) << bytes;
#else
    EXPECT_EQ(BLOCKPOOL::blockSize(bytes), size) << bytes;
#endif
  }

  BLOCKPOOL::simulateExhaustion(1);
  EXPECT_EQ(BLOCKPOOL::allocate(16), nullptr);
  EXPECT_EQ(BLOCKPOOL::allocate(4096), nullptr);
  BLOCKPOOL::simulateExhaustion(0);
  void* block = BLOCKPOOL::allocate(16);
  EXPECT_NE(block, nullptr);
  BLOCKPOOL::release(block, 16);
}

// Under AddressSanitizer the pool steps aside, whichever compiler built it, so
// that a block used after its release is caught rather than silently reused.
TEST(BlockPoolTest, SanitizerBuildsTakeEveryBlockFromTheHeap) {
#if defined(VYR_SANITIZE_BUILD)
  EXPECT_FALSE(BLOCKPOOL::kPooling);
  EXPECT_DEATH(
      {
        auto* block = static_cast<volatile char*>(BLOCKPOOL::allocate(24));
        BLOCKPOOL::release(const_cast<char*>(block), 24);
        block[3] = 1;
      },
      "heap-use-after-free");
#else
  EXPECT_TRUE(BLOCKPOOL::kPooling);
#endif
}

}  // namespace
}  // namespace vyr
