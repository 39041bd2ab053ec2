#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

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

// Texts with passwords in them pass through the runtime's blocks, and the
// free cannot tell which: every freed block is wiped whole, and a block that
// grows leaves no copy behind. Watched through the observer, which sees each
// block after the wipe and before the release.
std::vector<std::string>& Freed() {
  static std::vector<std::string> blocks;
  return blocks;
}
void RecordFreed(const void* block, std::size_t bytes) { Freed().emplace_back(static_cast<const char*>(block), bytes); }

TEST(FreeMemory, WipesEveryBlockWholeAndAGrowingBlocksOldCopy) {
  Freed().clear();
  ObserveFreedBlocks(RecordFreed);
  auto* text = static_cast<char*>(AllocMemory(24));
  std::memcpy(text, "pw: hunter2, site: bank", 24);
  auto* grown = static_cast<char*>(ReallocMemory(text, 4096));  // cannot fit in place
  EXPECT_STREQ(grown, "pw: hunter2, site: bank");
  void* small = ReallocMemory(grown, 8);  // shrinking keeps the block
  EXPECT_EQ(small, grown);
  FreeMemory(small);
  ObserveFreedBlocks(nullptr);
  ASSERT_EQ(Freed().size(), 2u);
  EXPECT_GE(Freed()[0].size(), 24u);
  EXPECT_GE(Freed()[1].size(), 4096u);
  for (const std::string& block : Freed()) EXPECT_EQ(block.find_first_not_of('\0'), std::string::npos);
}

}  // namespace
}  // namespace rt
