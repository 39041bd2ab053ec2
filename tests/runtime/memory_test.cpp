#include <gtest/gtest.h>

#include <cstring>

#include "runtime/memory.h"

namespace rt {
namespace {

class ConstantSegmentTest : public ::testing::Test {
 protected:
  void SetUp() override { SetConstantSegment(segment_, sizeof segment_); }
  void TearDown() override { SetConstantSegment(nullptr, 0); }
  static constexpr char segment_[] = "literal\0tail";
};

TEST_F(ConstantSegmentTest, ConstantPointersAreNeverFreed) {
  FreeMemory(const_cast<char*>(segment_));
  FreeMemory(const_cast<char*>(segment_ + 3));
  FreeMemory(nullptr);
  EXPECT_STREQ(segment_, "literal");
}

TEST_F(ConstantSegmentTest, ResizingCopiesOutUpToTheSegmentEnd) {
  const char* tail = segment_ + 8;  // "tail" and its NUL: 5 bytes to the end
  auto* copy = static_cast<char*>(ReallocMemory(const_cast<char*>(tail), 64));
  ASSERT_FALSE(InConstantSegment(copy));
  EXPECT_STREQ(copy, "tail");
  copy = static_cast<char*>(ReallocMemory(copy, 3));
  EXPECT_EQ(std::memcmp(copy, "tai", 3), 0);
  FreeMemory(copy);
  auto* small = static_cast<char*>(ReallocMemory(const_cast<char*>(segment_), 3));
  EXPECT_EQ(std::memcmp(small, "lit", 3), 0);
  FreeMemory(small);
}

TEST_F(ConstantSegmentTest, HeapPointersAndBoundaries) {
  EXPECT_TRUE(InConstantSegment(segment_));
  EXPECT_TRUE(InConstantSegment(segment_ + sizeof segment_ - 1));
  EXPECT_FALSE(InConstantSegment(segment_ + sizeof segment_));
  void* heap = AllocMemory(16);
  EXPECT_FALSE(InConstantSegment(heap));
  heap = ReallocMemory(heap, 4096);
  FreeMemory(heap);
  SetConstantSegment(nullptr, 0);
  EXPECT_FALSE(InConstantSegment(segment_));
}

}  // namespace
}  // namespace rt
