// The paged tree on real files: split boundaries, equal keys, deletion with
// page release and file shortening, the free list, locking and the cache.
#include <algorithm>
#include <map>
#include <random>
#include <set>

#include "db/errors.h"
#include "db/index/page_cache.h"
#include "tests/db/index_test_support.h"

namespace {

using namespace db::index;
namespace err = db::err;
using index_test::IntKey;
using index_test::IntTextKey;
using index_test::MakeIndex;
using index_test::RecordsInOrder;

const std::vector<KeyPart> kIntText16 = {{field_type::kInt, 4, 0}, {field_type::kText, 16, 0}};
const std::vector<KeyPart> kIntOnly = {{field_type::kInt, 4, 0}};

TreePage ReadPage(index_test::OpenIndex& index, std::uint32_t n) {
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(index.page_size));
  std::size_t got = 0;
  index.file->Read(static_cast<std::uint64_t>(n) * index.page_size, bytes.data(), bytes.size(), &got);
  TreePage page;
  EXPECT_TRUE(DecodeTreePage(bytes, index.layout.key_size(), MaxKeys(index.page_size, 20), &page));
  return page;
}

TEST(IndexTree, LeafSplitsOnlyPastMaxKeysAndKeepsHalfInTheFirstPage) {
  index_test::ScratchDir dir;
  auto index = MakeIndex(dir.File("split.vnx"), kIntText16);
  ASSERT_EQ(index->layout.key_size(), 20u);
  IndexTree tree = index->Tree();
  ASSERT_EQ(tree.max_keys(), 21);
  for (int i = 0; i < 21; ++i) ASSERT_EQ(tree.Insert(IntTextKey(i * 10, "k", 16).data(), static_cast<std::uint32_t>(i)), 0);
  EXPECT_EQ(index->Header().page_count, 2);
  EXPECT_EQ(index->Check().depth, 1);
  EXPECT_EQ(ReadPage(*index, 1).count(20), 21u);

  ASSERT_EQ(tree.Insert(IntTextKey(5, "k", 16).data(), 21), 0);  // the 22nd key splits the root leaf
  const IndexHeader h = index->Header();
  EXPECT_EQ(h.page_count, 4);
  EXPECT_EQ(h.root, 3);
  const TreePage left = ReadPage(*index, 1);
  const TreePage right = ReadPage(*index, 2);
  const TreePage root = ReadPage(*index, 3);
  EXPECT_EQ(left.count(20), 10u);  // 21 div 2
  EXPECT_EQ(right.count(20), 12u);
  ASSERT_TRUE(root.inner);
  ASSERT_EQ(root.count(20), 1u);
  EXPECT_EQ(root.refs, (std::vector<std::uint32_t>{1, 2}));
  EXPECT_EQ(std::vector<std::uint8_t>(root.key(0, 20), root.key(0, 20) + 20),
            std::vector<std::uint8_t>(left.key(9, 20), left.key(9, 20) + 20));
  const TreeReport report = index->Check();
  EXPECT_TRUE(report.sound()) << report.problems.front();
  EXPECT_EQ(report.entries.size(), 22u);
  EXPECT_EQ(index->Length(), 4u * 512u);
}

TEST(IndexTree, EqualKeysFollowRecordNumbersAcrossPages) {
  index_test::ScratchDir dir;
  auto index = MakeIndex(dir.File("ties.vnx"), kIntOnly);
  IndexTree tree = index->Tree();
  std::vector<std::uint32_t> records(300);
  for (std::uint32_t i = 0; i < records.size(); ++i) records[i] = i * 3;
  std::mt19937 rng(7);
  std::shuffle(records.begin(), records.end(), rng);
  // Two runs of equal keys with a few distinct keys around them; far more
  // equal keys than one page holds (84 per page here).
  for (std::uint32_t r : records) ASSERT_EQ(tree.Insert(IntKey(r % 2 == 0 ? 7 : 9).data(), r), 0);
  ASSERT_EQ(tree.Insert(IntKey(8).data(), 1), 0);
  ASSERT_EQ(tree.Insert(IntKey(7).data(), 0), 0);  // already there: kept once
  TreeReport report = index->Check();
  ASSERT_TRUE(report.sound()) << report.problems.front();
  ASSERT_EQ(report.entries.size(), 301u);
  std::vector<std::uint32_t> sevens;
  std::vector<std::uint32_t> nines;
  for (std::uint32_t r : records) (r % 2 == 0 ? sevens : nines).push_back(r);
  std::sort(sevens.begin(), sevens.end());
  std::sort(nines.begin(), nines.end());
  std::vector<std::uint32_t> expected = sevens;
  expected.push_back(1);
  expected.insert(expected.end(), nines.begin(), nines.end());
  EXPECT_EQ(RecordsInOrder(report), expected);

  // Removing a record from the middle of a run takes exactly that entry.
  ASSERT_EQ(tree.Remove(IntKey(9).data(), nines[nines.size() / 2]), 0);
  EXPECT_EQ(tree.Remove(IntKey(9).data(), nines[nines.size() / 2]), err::kEntryNotFound);
  EXPECT_EQ(tree.Remove(IntKey(7).data(), nines[0]), err::kEntryNotFound);  // right record, wrong key
  report = index->Check();
  EXPECT_TRUE(report.sound()) << report.problems.front();
  EXPECT_EQ(report.entries.size(), 300u);
}

TEST(IndexTree, DeletingEverythingLeavesAnEmptyTwoPageTreeThatGrowsAgain) {
  index_test::ScratchDir dir;
  auto index = MakeIndex(dir.File("empty.vnx"), kIntText16);
  IndexTree tree = index->Tree();
  std::vector<int> keys(600);
  for (int i = 0; i < 600; ++i) keys[static_cast<std::size_t>(i)] = i;
  std::mt19937 rng(11);
  std::shuffle(keys.begin(), keys.end(), rng);
  for (int k : keys) ASSERT_EQ(tree.Insert(IntTextKey(k, "abc", 16).data(), static_cast<std::uint32_t>(k)), 0);
  ASSERT_GE(index->Check().depth, 3);
  std::shuffle(keys.begin(), keys.end(), rng);
  for (std::size_t i = 0; i < keys.size(); ++i) {
    ASSERT_EQ(tree.Remove(IntTextKey(keys[i], "abc", 16).data(), static_cast<std::uint32_t>(keys[i])), 0);
    if (i % 37 == 0) {
      const TreeReport report = index->Check();
      ASSERT_TRUE(report.sound()) << "after " << i << ": " << report.problems.front();
      ASSERT_EQ(report.entries.size(), keys.size() - i - 1);
    }
  }
  const IndexHeader h = index->Header();
  EXPECT_EQ(h.page_count, 2);
  EXPECT_EQ(h.free_count, 0);
  EXPECT_EQ(h.free_head, 0);
  EXPECT_EQ(h.root, 1);
  EXPECT_EQ(index->Length(), 1024u);
  EXPECT_TRUE(index->Check().sound());
  EXPECT_EQ(tree.Remove(IntTextKey(1, "abc", 16).data(), 1), err::kEntryNotFound);

  for (int k = 0; k < 100; ++k) ASSERT_EQ(tree.Insert(IntTextKey(k, "z", 16).data(), static_cast<std::uint32_t>(k)), 0);
  const TreeReport report = index->Check();
  EXPECT_TRUE(report.sound()) << report.problems.front();
  EXPECT_EQ(report.entries.size(), 100u);
}

// A damaged file whose root is an inner page without keys, over a leaf of one
// entry: removing that entry is refused (-52, saying why), and the file stays as it was,
// instead of reading the separator before the root's first key.
TEST(IndexTree, RemovingUnderAnInnerPageWithoutKeysIsRefused) {
  index_test::ScratchDir dir;
  auto index = MakeIndex(dir.File("damaged.vnx"), kIntText16);
  IndexTree tree = index->Tree();
  for (int i = 0; i < 22; ++i) ASSERT_EQ(tree.Insert(IntTextKey(i * 10, "k", 16).data(), static_cast<std::uint32_t>(i)), 0);
  ASSERT_EQ(index->Header().root, 3);
  const std::vector<std::uint8_t> key = IntTextKey(0, "k", 16);
  TreePage root;
  root.inner = true;
  root.refs = {1};
  TreePage leaf;
  leaf.refs = {0};
  leaf.keys = key;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(index->page_size));
  for (const auto& [n, page] : {std::pair{3u, &root}, std::pair{1u, &leaf}}) {
    EncodeTreePage(*page, 20, bytes);
    ASSERT_EQ(index->file->Write(static_cast<std::uint64_t>(n) * 512u, bytes.data(), bytes.size()),
              platform::FileError::kNone);
  }
  const IndexHeader before = index->Header();
  EXPECT_EQ(tree.Remove(key.data(), 0), err::kIndexAccessFailed);
  EXPECT_STREQ(db::LastReason(err::kIndexAccessFailed), "tree: an inner page without keys");
  EXPECT_STREQ(db::LastReason(err::kEntryNotFound), "") << "a reason belongs to its code";
  EXPECT_EQ(index->Header(), before);
  EXPECT_EQ(ReadPage(*index, 1).count(20), 1u);
}

TEST(IndexTree, ReleasedPagesAreReusedFromTheFreeList) {
  index_test::ScratchDir dir;
  auto index = MakeIndex(dir.File("free.vnx"), kIntOnly);
  IndexTree tree = index->Tree();
  for (int k = 0; k < 1000; ++k) ASSERT_EQ(tree.Insert(IntKey(k).data(), static_cast<std::uint32_t>(k)), 0);
  const std::int32_t pages = index->Header().page_count;
  // Empty the leaves holding the lowest keys: those pages are not at the
  // end of the file, so they go onto the free list.
  for (int k = 0; k < 300; ++k) ASSERT_EQ(tree.Remove(IntKey(k).data(), static_cast<std::uint32_t>(k)), 0);
  IndexHeader h = index->Header();
  EXPECT_EQ(h.page_count, pages);
  EXPECT_GT(h.free_count, 0);
  TreeReport report = index->Check();
  ASSERT_TRUE(report.sound()) << report.problems.front();
  EXPECT_EQ(report.free_pages, h.free_count);

  const std::int32_t free_before = h.free_count;
  for (int k = 0; k < 300; ++k) ASSERT_EQ(tree.Insert(IntKey(k).data(), static_cast<std::uint32_t>(k)), 0);
  h = index->Header();
  EXPECT_LT(h.free_count, free_before);
  EXPECT_LE(h.page_count, pages + 1);
  report = index->Check();
  EXPECT_TRUE(report.sound()) << report.problems.front();
  EXPECT_EQ(report.entries.size(), 1000u);
}

TEST(IndexTree, RemovingTheLargestKeyRewritesTheSeparatorsAbove) {
  index_test::ScratchDir dir;
  auto index = MakeIndex(dir.File("sep.vnx"), kIntText16);
  IndexTree tree = index->Tree();
  for (int k = 0; k < 400; ++k) ASSERT_EQ(tree.Insert(IntTextKey(k, "", 16).data(), static_cast<std::uint32_t>(k)), 0);
  // Remove every key that ends a leaf, repeatedly; the checker compares
  // each separator with the largest key of its subtree.
  for (int round = 0; round < 5; ++round) {
    const TreeReport before = index->Check();
    ASSERT_TRUE(before.sound()) << before.problems.front();
    for (int k = 399 - round; k >= 0; k -= 10)
      ASSERT_EQ(tree.Remove(IntTextKey(k, "", 16).data(), static_cast<std::uint32_t>(k)), 0);
  }
  const TreeReport report = index->Check();
  EXPECT_TRUE(report.sound()) << report.problems.front();
  EXPECT_EQ(report.entries.size(), 200u);
}

TEST(IndexTree, MultiFieldKeysCompareEachPartByItsType) {
  index_test::ScratchDir dir;
  const std::vector<KeyPart> parts = {{field_type::kShort, 2, 0},
                                      {field_type::kText, 6, 0},
                                      {field_type::kDouble, 8, 0},
                                      {field_type::kBool, 1, 0},
                                      {field_type::kSubPtr, 4, 0}};
  auto index = MakeIndex(dir.File("multi.vnx"), parts);
  IndexTree tree = index->Tree();
  struct Row {
    std::int16_t s;
    std::string t;
    double d;
    bool b;
    std::uint32_t p;
  };
  std::vector<Row> rows;
  const std::int16_t shorts[] = {-300, -1, 0, 2, 300};
  const char* texts[] = {"", "A", "a", "ab", "\xb0\xa1"};
  const double doubles[] = {-2.5, -0.0, 1e-9, 3.0};
  for (std::int16_t s : shorts)
    for (const char* t : texts)
      for (double d : doubles)
        for (int b = 0; b < 2; ++b)
          for (std::uint32_t p : {7u, 0x80000001u}) rows.push_back({s, t, d, b == 1, p});
  auto key_of = [](const Row& r) {
    std::vector<std::uint8_t> key(21, 0);
    std::memcpy(key.data(), &r.s, 2);
    std::memcpy(key.data() + 2, r.t.data(), r.t.size());
    std::memcpy(key.data() + 8, &r.d, 8);
    key[16] = r.b ? 1 : 0;
    std::memcpy(key.data() + 17, &r.p, 4);
    return key;
  };
  std::vector<std::uint32_t> order(rows.size());
  for (std::uint32_t i = 0; i < order.size(); ++i) order[i] = i;
  std::mt19937 rng(3);
  std::shuffle(order.begin(), order.end(), rng);
  for (std::uint32_t i : order) ASSERT_EQ(tree.Insert(key_of(rows[i]).data(), i), 0);
  const TreeReport report = index->Check();
  ASSERT_TRUE(report.sound()) << report.problems.front();
  // Rows were generated in ascending key order: signed short, text, double,
  // bool, then the pointer as an unsigned value.
  std::vector<std::uint32_t> expected(rows.size());
  for (std::uint32_t i = 0; i < expected.size(); ++i) expected[i] = i;
  EXPECT_EQ(RecordsInOrder(report), expected);
}

// Removing runs of neighbouring keys empties whole subtrees, so inner pages
// lose their last key at either end of their parent and next to full and
// non-full neighbours: every way of borrowing and merging, and collapses
// that climb more than one level. Re-adding keys then takes pages from a
// free list several pages long.
TEST(IndexTree, RemovingRunsOfKeysBorrowsAndMergesInnerPagesAtEveryLevel) {
  const std::vector<KeyPart> wide = {{field_type::kInt, 4, 0}, {field_type::kText, 76, 0}};  // 6 keys per page
  for (unsigned round = 0; round < 4; ++round) {
    SCOPED_TRACE(round);
    index_test::ScratchDir dir;
    auto index = MakeIndex(dir.File("runs.vnx"), wide);
    IndexTree tree = index->Tree();
    std::mt19937 rng(round);
    std::vector<int> order(2000);
    for (int i = 0; i < 2000; ++i) order[static_cast<std::size_t>(i)] = i;
    if (round == 1) std::reverse(order.begin(), order.end());
    if (round >= 2) std::shuffle(order.begin(), order.end(), rng);
    std::set<int> keys;
    for (int k : order) {
      ASSERT_EQ(tree.Insert(IntTextKey(k, "", 76).data(), static_cast<std::uint32_t>(k)), 0);
      keys.insert(k);
    }
    int steps = 0;
    while (!keys.empty()) {
      auto it = keys.begin();
      std::advance(it, static_cast<long>(rng() % keys.size()));
      const unsigned run = 1 + rng() % 60;
      for (unsigned i = 0; i < run && it != keys.end(); ++i) {
        ASSERT_EQ(tree.Remove(IntTextKey(*it, "", 76).data(), static_cast<std::uint32_t>(*it)), 0);
        it = keys.erase(it);
      }
      if (++steps % 4 == 0) {  // put a few back, into pages from the free list
        for (int j = 0; j < 10; ++j) {
          const int k = static_cast<int>(rng() % 2000);
          if (!keys.insert(k).second) continue;
          ASSERT_EQ(tree.Insert(IntTextKey(k, "", 76).data(), static_cast<std::uint32_t>(k)), 0);
        }
      }
      const TreeReport report = index->Check();
      ASSERT_TRUE(report.sound()) << report.problems.front();
      ASSERT_EQ(report.entries.size(), keys.size());
    }
    EXPECT_EQ(index->Header().page_count, 2);
  }
}

TEST(IndexTree, AnOperationWaitsForNoOneAndFailsWhileAnotherOpenHoldsTheLock) {
  index_test::ScratchDir dir;
  const std::string path = dir.File("lock.vnx");
  auto index = MakeIndex(path, kIntOnly);
  IndexTree tree = index->Tree();
  ASSERT_EQ(tree.Insert(IntKey(1).data(), 0), 0);
  std::unique_ptr<platform::File> other;
  ASSERT_EQ(platform::OpenFile(path, platform::FileAccess::kReadWrite, platform::share::kReadWrite,
                               platform::FileDisposition::kOpenExisting, &other),
            platform::FileError::kNone);
  ASSERT_EQ(LockWholeIndex(*other), 0);
  EXPECT_EQ(tree.Insert(IntKey(2).data(), 1), err::kLockFailed);
  ASSERT_EQ(UnlockWholeIndex(*other), 0);
  EXPECT_EQ(tree.Insert(IntKey(2).data(), 1), 0);
  EXPECT_EQ(index->Check().entries.size(), 2u);
}

TEST(IndexTree, ResetCutsTheFileToAnEmptyRootLeaf) {
  index_test::ScratchDir dir;
  auto index = MakeIndex(dir.File("reset.vnx"), kIntOnly);
  IndexTree tree = index->Tree();
  for (int k = 0; k < 500; ++k) ASSERT_EQ(tree.Insert(IntKey(k).data(), static_cast<std::uint32_t>(k)), 0);
  for (int k = 0; k < 100; ++k) ASSERT_EQ(tree.Remove(IntKey(k).data(), static_cast<std::uint32_t>(k)), 0);
  ASSERT_EQ(tree.Reset(), 0);
  const IndexHeader h = index->Header();
  EXPECT_EQ(h.page_count, 2);
  EXPECT_EQ(h.free_count, 0);
  EXPECT_EQ(h.root, 1);
  EXPECT_EQ(index->Length(), 1024u);
  const TreeReport report = index->Check();
  EXPECT_TRUE(report.sound());
  EXPECT_TRUE(report.entries.empty());
}

TEST(IndexPageCache, HoldsEighteenPagesAndWritesTheThreeOldestWhenFull) {
  index_test::ScratchDir dir;
  std::unique_ptr<platform::File> file;
  ASSERT_EQ(platform::OpenFile(dir.File("cache.bin"), platform::FileAccess::kReadWrite, platform::share::kReadWrite,
                               platform::FileDisposition::kCreateAlways, &file),
            platform::FileError::kNone);
  std::vector<std::uint8_t> zero(512 * 30, 0);
  ASSERT_EQ(file->Write(0, zero.data(), zero.size()), platform::FileError::kNone);
  PageCache cache(*file, 512);
  for (std::uint32_t n = 1; n <= 18; ++n) ASSERT_EQ(cache.Write(n, std::vector<std::uint8_t>(512, static_cast<std::uint8_t>(n))), 0);
  EXPECT_EQ(cache.size(), 18u);
  EXPECT_EQ(cache.writes(), 0u);
  std::vector<std::uint8_t> page;
  ASSERT_EQ(cache.Read(25, &page), 0);  // the 19th page pushes out pages 1, 2 and 3
  EXPECT_EQ(cache.size(), 16u);
  EXPECT_EQ(cache.writes(), 3u);
  for (std::uint32_t n = 1; n <= 4; ++n) {
    std::uint8_t b = 0xEE;
    std::size_t got = 0;
    file->Read(n * 512 + 100, &b, 1, &got);
    EXPECT_EQ(b, n <= 3 ? n : 0) << "page " << n;
  }
  ASSERT_EQ(cache.Read(4, &page), 0);  // still cached: the modified bytes
  EXPECT_EQ(page[0], 4);
  cache.DropFrom(10);
  ASSERT_EQ(cache.Flush(), 0);
  std::uint8_t b = 0;
  std::size_t got = 0;
  file->Read(9 * 512, &b, 1, &got);
  EXPECT_EQ(b, 9);
  file->Read(12 * 512, &b, 1, &got);
  EXPECT_EQ(b, 0);  // dropped without being written
}

}  // namespace
