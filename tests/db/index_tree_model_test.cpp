// The tree against an ordered multimap: random inserts, removals and moves,
// with the full tree check after every step.
#include <map>
#include <random>
#include <set>

#include "db/errors.h"
#include "tests/db/index_test_support.h"

namespace {

using namespace db::index;
namespace err = db::err;

struct ModelCase {
  std::size_t text_size;  // key = Int + text of this size
  int steps;
};

class IndexTreeModel : public ::testing::TestWithParam<ModelCase> {};

TEST_P(IndexTreeModel, MatchesAnOrderedMultimapAfterEveryStep) {
  const ModelCase param = GetParam();
  index_test::ScratchDir dir;
  const std::vector<KeyPart> parts = {{field_type::kInt, 4, 0}, {field_type::kText, param.text_size, 0}};
  auto index = index_test::MakeIndex(dir.File("model.vnx"), parts, 512, 0, kFoldLetterCase);
  IndexTree tree = index->Tree();
  std::mt19937 rng(1234 + static_cast<unsigned>(param.text_size));

  // A small key space so equal keys (after folding) are common.
  auto random_key = [&] {
    const int n = static_cast<int>(rng() % 12) - 3;
    std::string text;
    const int len = static_cast<int>(rng() % 3);
    for (int i = 0; i < len; ++i) text += "aAbB"[rng() % 4];
    auto key = index_test::IntTextKey(n, text, param.text_size);
    index->layout.Normalise(key.data());
    return key;
  };

  std::map<std::uint32_t, std::vector<std::uint8_t>> model;  // record -> key
  std::uint32_t next_record = 0;
  for (int step = 0; step < param.steps; ++step) {
    const unsigned action = rng() % 10;
    if (model.empty() || action < 5) {
      const auto key = random_key();
      ASSERT_EQ(tree.Insert(key.data(), next_record), 0);
      model[next_record++] = key;
    } else {
      auto it = model.begin();
      std::advance(it, static_cast<long>(rng() % model.size()));
      if (action < 8) {
        ASSERT_EQ(tree.Remove(it->second.data(), it->first), 0) << "step " << step;
        model.erase(it);
      } else {
        const auto key = random_key();
        ASSERT_EQ(tree.Move(it->second.data(), key.data(), it->first), 0);
        it->second = key;
      }
    }
    if (step % 97 == 0) {  // absent entries are reported, not invented
      const auto key = random_key();
      ASSERT_EQ(tree.Remove(key.data(), next_record + 5), err::kEntryNotFound);
    }
    TreeReport report = index->Check();
    std::vector<TreeEntry> expected;
    for (const auto& [record, key] : model) expected.push_back({key, record});
    CompareEntries(index->layout, expected, report);
    ASSERT_TRUE(report.sound()) << "step " << step << ": " << report.problems.front();
  }
}

INSTANTIATE_TEST_SUITE_P(Shapes, IndexTreeModel,
                         ::testing::Values(ModelCase{76, 2500},   // 80-byte keys: 6 per page, deep trees
                                           ModelCase{8, 2500}));  // 12-byte keys: 31 per page

}  // namespace
