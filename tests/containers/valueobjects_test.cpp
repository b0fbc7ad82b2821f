#include "containers/valueobjects.h"

#include <gtest/gtest.h>

#include <string>

namespace vyr {
namespace {

TEST(ValueObjectsTest, NamedObjectAnswersItsTexts) {
  std::string name = "old";
  std::string text = "old";
  const NAMEDOBJECT empty(3);
  EXPECT_EQ(empty.getName(name), "");
  EXPECT_EQ(empty.getText(text), "");
  const NAMEDOBJECT full(4, "Iron", "Ore of the hills");
  EXPECT_EQ(&full.getName(name), &name);
  EXPECT_EQ(name, "Iron");
  EXPECT_EQ(full.getText(text), "Ore of the hills");
}

TEST(ValueObjectsTest, RemoveInvalidDropsZeroIntegers) {
  LIST<INTOBJECT> list;
  int key = 1;
  for (int value : {3, 0, 5}) list.add(std::make_unique<INTOBJECT>(key++, value));
  EXPECT_EQ(list.removeInvalid(), 2);
  EXPECT_EQ(list.get(1)->value(), 3);
  EXPECT_EQ(list.get(2)->value(), 5);
}

TEST(ValueObjectsTest, IntListOrdersByKeyThenValue) {
  INTLIST list;
  const struct {
    int key;
    int value;
  } added[] = {{2, 9}, {1, 4}, {2, 1}};
  for (const auto& element : added)
    list.addByCompare(std::make_unique<INTOBJECT>(element.key, element.value));
  const struct {
    int key;
    int value;
  } expected[] = {{1, 4}, {2, 1}, {2, 9}};
  ASSERT_EQ(list.count(), 3);
  for (int p = 1; p <= 3; ++p) {
    EXPECT_EQ(list.get(p)->key(), expected[p - 1].key);
    EXPECT_EQ(list.get(p)->value(), expected[p - 1].value);
  }
  // A plain add still orders by key alone: after the equal keys.
  list.add(std::make_unique<INTOBJECT>(2, 0));
  EXPECT_EQ(list.get(4)->value(), 0);
}

}  // namespace
}  // namespace vyr
