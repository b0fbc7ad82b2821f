#include "containers/list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "containers/blockpool.h"

namespace vyr {
namespace {

// An element that carries a tag (to tell equal keys apart) and logs its
// destruction.
class Tagged : public OBJECT {
 public:
  explicit Tagged(int key = 0, char tag = 0, std::string* deaths = nullptr)
      : OBJECT(key), tag_(tag), deaths_(deaths) {}
  ~Tagged() override {
    if (deaths_ != nullptr) *deaths_ += std::to_string(key()) + ' ';
  }
  char tag() const { return tag_; }
  int isValid() const override { return tag_ != 'x' ? 1 : 0; }

 private:
  char tag_;
  std::string* deaths_;
};

// Reads its contents through forEach, which moves neither cache nor cursor.
class Probe : public LIST<Tagged> {
 public:
  std::string dump() {
    text_.clear();
    forEach();
    if (!text_.empty()) text_.pop_back();
    return text_;
  }
  int put(int key, char tag = 0, std::string* deaths = nullptr) {
    return add(std::make_unique<Tagged>(key, tag, deaths));
  }
  int putFront(int key, char tag = 0) { return addFront(std::make_unique<Tagged>(key, tag)); }
  std::string flags() const { return std::to_string(isKeySorted()) + std::to_string(isCompareSorted()); }

 private:
  int visit(OBJECT& element) override {
    text_ += std::to_string(element.key());
    if (char tag = static_cast<Tagged&>(element).tag()) text_ += tag;
    text_ += ' ';
    return 0;
  }
  std::string text_;
};

void fill(Probe& list, const std::vector<int>& keys) {
  char tag = 'a';
  for (int key : keys) list.put(key, tag++);
}

TEST(ListTest, GetWalksFromTheNearestStartAndKeepsTheCache) {
  Probe list;
  EXPECT_EQ(list.get(1), nullptr);
  fill(list, {10, 20, 30, 40, 50, 60, 70, 80});
  const struct {
    int position;
    int key;
    int cached;
  } cases[] = {
      {3, 30, 3}, {4, 40, 4}, {8, 80, 8}, {1, 10, 1}, {7, 70, 7}, {2, 20, 2},
      {0, 0, 2},  {9, 0, 2},  {-1, 0, 2}, {5, 50, 5}, {5, 50, 5},
  };
  for (const auto& c : cases) {
    Tagged* element = list.get(c.position);
    EXPECT_EQ(element != nullptr ? element->key() : 0, c.key) << c.position;
    EXPECT_EQ(list.cachedPosition(), c.cached) << c.position;
  }
}

TEST(ListTest, FindStartsNearTheKeyAndAMissLeavesTheCacheOnTheHead) {
  // Keys 1 5 5 5 9 18 18 20: which of equal keys is met shows where the search
  // started (getFirst 0: no cached position).
  const struct {
    int getFirst;
    int key;
    char tag;
    int position;
  } cases[] = {
      {0, 5, 'b', 2},  {5, 5, 'd', 4},  {8, 5, 'b', 2}, {1, 5, 'b', 2}, {3, 5, 'c', 3},
      {0, 18, 'f', 6}, {1, 18, 'g', 7}, {5, 7, 0, 1},   {1, 99, 0, 1},  {8, -4, 0, 1},
  };
  for (const auto& c : cases) {
    Probe list;
    const char* tags = "hgfedcba";
    for (int key : {20, 18, 18, 9, 5, 5, 5, 1}) list.addByCompare(std::make_unique<Tagged>(key, *tags++));
    ASSERT_EQ(list.dump(), "1a 5b 5c 5d 9e 18f 18g 20h");
    ASSERT_EQ(list.cachedPosition(), 0);
    if (c.getFirst != 0) list.get(c.getFirst);
    Tagged* found = list.find(c.key);
    EXPECT_EQ(found != nullptr ? found->tag() : 0, c.tag) << c.getFirst << " " << c.key;
    EXPECT_EQ(list.cachedPosition(), c.position) << c.getFirst << " " << c.key;
  }
  Probe unsorted;
  fill(unsorted, {3, 9});
  unsorted.putFront(5, 'z');
  unsorted.putFront(9, 'y');
  unsorted.get(3);
  EXPECT_EQ(unsorted.find(9)->tag(), 'y');  // unsorted: the first from the head
  EXPECT_EQ(unsorted.positionOf(3), 3);
  EXPECT_EQ(unsorted.find(4), nullptr);
  EXPECT_EQ(unsorted.cachedPosition(), 1);
  EXPECT_EQ(unsorted.seek(4), 0);
  Probe empty;
  EXPECT_EQ(empty.find(0), nullptr);
  EXPECT_EQ(empty.positionOf(0), 0);
  EXPECT_EQ(empty.cachedPosition(), 0);
}

TEST(ListTest, AddKeepsKeyOrderWithEqualKeys) {
  const struct {
    std::vector<int> keys;
    int key;
    const char* expected;
  } cases[] = {
      {{5, 7}, 5, "5n 5a 7b"},
      {{3, 5, 7}, 5, "3a 5b 5n 7c"},
      {{5}, 5, "5a 5n"},
      {{}, 5, "5n"},
      {{5, 7}, 7, "5a 7b 7n"},
      {{5, 7}, 1, "1n 5a 7b"},
      {{1, 4, 4, 9}, 4, "1a 4b 4c 4n 9d"},
      {{2, 2, 3}, 2, "2n 2a 2b 3c"},
  };
  for (const auto& c : cases) {
    Probe list;
    fill(list, c.keys);
    if (list.count() > 1) list.get(list.count());  // the start must not matter
    list.first();
    EXPECT_EQ(list.put(c.key, 'n'), 1);
    EXPECT_EQ(list.dump(), c.expected);
    EXPECT_EQ(list.atEnd(), 1);  // an add ends a walk
    EXPECT_EQ(list.get(list.cachedPosition())->tag(), 'n');
  }
}

TEST(ListTest, SortByKeyGivesWhatSuccessiveAddsGive) {
  std::srand(7);
  for (int round = 0; round < 50; ++round) {
    Probe shuffled;
    Probe added;
    for (int i = 0; i < 40; ++i) shuffled.putFront(std::rand() % 12, static_cast<char>('!' + i));
    for (int p = 1; p <= shuffled.count(); ++p) added.put(shuffled.get(p)->key(), shuffled.get(p)->tag());
    EXPECT_EQ(shuffled.flags(), "00");
    shuffled.sortByKey();
    EXPECT_EQ(shuffled.flags(), "10");
    EXPECT_EQ(shuffled.dump(), added.dump());
  }
  Probe list;
  fill(list, {5, 7});
  list.putFront(1, 'f');  // smallest key, still unsorted
  EXPECT_EQ(list.flags(), "00");
  list.put(6, 'n');
  EXPECT_EQ(list.dump(), "1f 5a 6n 7b");
  EXPECT_EQ(list.flags(), "10");
}

TEST(ListTest, RemovalMovesTheCursorOnAndKeepsPositionsRight) {
  Probe list;
  fill(list, {1, 2, 3, 4});
  list.first();
  list.next();
  EXPECT_EQ(list.remove(2), 1);
  EXPECT_EQ(list.current()->key(), 3);
  EXPECT_EQ(list.cachedPosition(), 2);
  EXPECT_EQ(list.get(2)->key(), 3);
  list.last();
  EXPECT_EQ(list.removeKey(4), 1);
  EXPECT_EQ(list.atEnd(), 1);
  EXPECT_EQ(list.current(), nullptr);
  EXPECT_EQ(list.cachedPosition(), 2);  // the new tail
  EXPECT_EQ(list.get(2)->key(), 3);
  EXPECT_EQ(list.remove(0) + list.remove(3) + list.removeKey(4), 0);
  EXPECT_EQ(list.dump(), "1a 3c");
  list.remove(1);
  list.remove(1);
  EXPECT_EQ(list.cachedPosition(), 0);
  EXPECT_EQ(list.isEmpty(), 1);

  // Deleting while walking forwards, as the check-line purge does, and then a
  // miss still puts the cache on the head.
  Probe lines;
  for (int key = 1; key <= 1000; ++key) lines.put(key, key % 3 == 0 ? 'x' : 0);
  for (int p = 1; p <= lines.count();) {
    if (lines.get(p)->tag() == 'x')
      lines.remove(p);
    else
      ++p;
  }
  EXPECT_EQ(lines.count(), 667);
  for (int p = 1; p <= lines.count(); ++p) ASSERT_EQ(lines.get(p)->key(), p + (p - 1) / 2);
  EXPECT_EQ(lines.find(3), nullptr);
  EXPECT_EQ(lines.cachedPosition(), 1);
  EXPECT_EQ(lines.positionOf(1000), 667);
}

TEST(ListTest, OperationsSetTheFlags) {
  Probe list;
  EXPECT_EQ(list.flags(), "11");
  list.putFront(4);
  EXPECT_EQ(list.flags(), "11");
  list.putFront(9);
  EXPECT_EQ(list.flags(), "00");
  list.sortByKey();
  EXPECT_EQ(list.flags(), "10");
  list.sortByCompare();
  EXPECT_EQ(list.flags(), "01");
  list.put(1);
  EXPECT_EQ(list.flags(), "10");
  EXPECT_EQ(list.renumber(1, 0), 4);
  EXPECT_EQ(list.dump(), "3 2 1");
  EXPECT_EQ(list.flags(), "00");
  EXPECT_EQ(list.renumber(1, 1), 4);
  EXPECT_EQ(list.dump(), "1 2 3");
  EXPECT_EQ(list.flags(), "10");
  EXPECT_EQ(list.moveToFront(1), 1);
  EXPECT_EQ(list.flags(), "10");
  EXPECT_EQ(list.moveToFront(3), 1);
  EXPECT_EQ(list.dump(), "3 1 2");
  EXPECT_EQ(list.flags(), "00");
  EXPECT_EQ(list.cachedPosition(), 1);
  EXPECT_EQ(list.moveToFront(7), 0);
  list.clear();
  EXPECT_EQ(list.flags(), "11");
}

TEST(ListTest, CompareOrderKeepsEqualElementsInTheirOldOrder) {
  Probe list;  // compares keys alone, so equal keys show whether order is kept
  list.putFront(2, 'a');
  list.putFront(1, 'b');
  list.putFront(2, 'c');
  list.putFront(1, 'd');
  list.first();
  EXPECT_EQ(list.addByCompare(std::make_unique<Tagged>(2, 'n')), 1);
  EXPECT_EQ(list.dump(), "1d 1b 2n 2c 2a");
  EXPECT_EQ(list.flags(), "01");
  EXPECT_EQ(list.cachedPosition(), 0);
}

TEST(ListTest, PurgesAndTransfers) {
  std::string deaths;
  Probe list;
  for (int key : {4, 2, 4, 1, 2, 4}) list.putFront(key);
  EXPECT_EQ(list.removeDuplicateKeys(), 3);
  EXPECT_EQ(list.dump(), "1 2 4");

  Probe other;
  EXPECT_EQ(other.removeKeysIn(list), 1);
  fill(other, {1, 3, 4, 5});
  EXPECT_EQ(other.removeKeysIn(list), 2);
  EXPECT_EQ(other.dump(), "3b 5d");

  Probe mixed;
  for (char tag : {'x', 'a', 'x', 'x', 'b', 'x'}) mixed.putFront(0, tag);
  EXPECT_EQ(mixed.removeInvalid(), 2);
  EXPECT_EQ(mixed.dump(), "0b 0a");

  Probe from;
  fill(from, {1, 2, 3});
  from.put(9, 0, &deaths);
  from.first();
  from.next();
  EXPECT_EQ(from.transferTo(other, 2), 1);
  EXPECT_EQ(from.current()->key(), 3);
  EXPECT_EQ(from.transferKeyTo(other, 9), 1);
  EXPECT_EQ(from.transferTo(other, 3) + from.transferKeyTo(other, 2), 0);
  EXPECT_EQ(deaths, "");
  EXPECT_EQ(other.dump(), "9 2b 3b 5d");
  EXPECT_EQ(other.flags(), "00");
  EXPECT_EQ(from.transferTo(from, 2), 1);
  EXPECT_EQ(from.dump(), "3c 1a");
  other.clear();
  EXPECT_EQ(deaths, "9 ");
}

TEST(ListTest, ShuffleRefusesEmptyAndOverlongLists) {
  Probe list;
  EXPECT_EQ(list.shuffle(), 0);
  for (int key = 1; key <= 30001; ++key) list.put(key);
  const std::string before = list.dump();
  list.get(5);
  EXPECT_EQ(list.shuffle(), 0);
  EXPECT_EQ(list.dump(), before);
  EXPECT_EQ(list.flags(), "11");
  EXPECT_EQ(list.cachedPosition(), 5);
  list.remove(30001);
  EXPECT_EQ(list.shuffle(), 1);
  EXPECT_EQ(list.flags(), "00");
  EXPECT_NE(list.dump(), before);
  std::vector<bool> seen(30001, false);
  for (int p = 1; p <= 30000; ++p) seen[list.get(p)->key()] = true;
  EXPECT_EQ(std::count(seen.begin() + 1, seen.end(), true), 30000);
  Probe one;
  one.put(3);
  EXPECT_EQ(one.shuffle(), 1);
  EXPECT_EQ(one.flags(), "11");
}

TEST(ListTest, OwnsItsElements) {
  std::string deaths;
  {
    Probe list;
    for (int key : {3, 1, 2}) list.put(key, 0, &deaths);
    list.remove(2);
    EXPECT_EQ(deaths, "2 ");
  }
  EXPECT_EQ(deaths, "2 1 3 ");  // the rest, head first

  // A failed node allocation leaves the element with the caller.
  Probe list;
  auto element = std::make_unique<Tagged>(5, 'f', &deaths);
  BLOCKPOOL::simulateExhaustion(1);
  const int added = list.add(std::move(element));
  const int front = list.addFront(std::move(element));
  BLOCKPOOL::simulateExhaustion(0);
  EXPECT_EQ(added + front, 0);
  ASSERT_NE(element, nullptr);
  EXPECT_EQ(list.isEmpty(), 1);
  EXPECT_EQ(list.add(std::move(element)), 1);
  Probe target;
  list.first();
  BLOCKPOOL::simulateExhaustion(1);
  EXPECT_EQ(list.transferTo(target, 1), 0);
  BLOCKPOOL::simulateExhaustion(0);
  EXPECT_EQ(list.current()->tag(), 'f');
  EXPECT_EQ(element, nullptr);
  EXPECT_EQ(list.add(nullptr), 0);
  EXPECT_EQ(list.addNew(8)->key(), 8);
  EXPECT_EQ(list.dump(), "5f 8");
}

}  // namespace
}  // namespace vyr
