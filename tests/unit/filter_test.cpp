// The user's content filter as a set of BGL content elements, and matching.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>

#include "bgl/content_filter.h"

namespace {

uint32_t Set(std::initializer_list<int> elements) {
  uint32_t mask = 0;
  for (int e : elements) mask |= uint32_t{1} << e;
  return mask;
}

TEST(ContentFilter, EachBitSelectsItsElements) {
  struct Row {
    int32_t Filter;
    uint32_t Elements;
  };
  const Row rows[] = {
      {1, Set({4, 14})},  {2, Set({0, 15})},     {4, Set({6, 16})},  {8, Set({2, 21})},
      {16, Set({7})},     {32, Set({3, 23})},    {64, Set({1})},     {128, Set({8})},
      {256, Set({11, 24})}, {512, Set({17})},    {1024, Set({19})},  {2048, Set({13})},
      {4096, Set({12})},  {8192, Set({26})},
  };
  for (const Row& row : rows) EXPECT_EQ(FilterToContentFlags(row.Filter), row.Elements) << row.Filter;
  EXPECT_EQ(FilterToContentFlags(0), 0u);
  EXPECT_EQ(FilterToContentFlags(1 | 8 | 2048), Set({4, 14, 2, 21, 13}));
}

TEST(ContentFilter, AnyContentLeavesTheUnreachedElementsOut) {
  const uint32_t any = FilterToContentFlags(16383);
  EXPECT_EQ(any, Set({0, 1, 2, 3, 4, 6, 7, 8, 11, 12, 13, 14, 15, 16, 17, 19, 21, 23, 24, 26}));
  for (int unreached : {5, 9, 10, 18, 20, 22, 25, 27, 28, 29, 30, 31})
    EXPECT_FALSE(ContentFlagsMatch(Set({unreached}), any)) << unreached;
  // Bits above the fourteen are not looked at.
  EXPECT_EQ(FilterToContentFlags(16384), 0u);
  EXPECT_EQ(FilterToContentFlags(-1), any);
}

TEST(ContentFilter, MatchNeedsACommonElement) {
  EXPECT_TRUE(ContentFlagsMatch(Set({14, 26}), Set({26})));
  EXPECT_FALSE(ContentFlagsMatch(Set({14}), Set({15})));
  EXPECT_FALSE(ContentFlagsMatch(0, 0xFFFFFFFFu));
  EXPECT_FALSE(ContentFlagsMatch(0xFFFFFFFFu, 0));
}

}  // namespace
