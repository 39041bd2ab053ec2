// Random adds, key writes, deletions and purges on a database with two
// index files, checked after every step against an ordered multimap and by
// the index checker (tree soundness, one entry per record with its key).
#include <algorithm>
#include <map>
#include <random>

#include "tests/db/index_engine_support.h"

namespace {

using index_test::IndexedDatabase;

struct Row {
  std::string name;
  std::int32_t age;
  bool marked;
};

// The order an index over (Name folded to capitals) must have, from a
// multimap: equal keys in record order.
std::vector<std::uint32_t> ModelOrder(const std::multimap<std::string, std::uint32_t>& model) {
  std::vector<std::uint32_t> out;
  for (auto it = model.begin(); it != model.end();) {
    auto range = model.equal_range(it->first);
    std::vector<std::uint32_t> ties;
    for (auto r = range.first; r != range.second; ++r) ties.push_back(r->second);
    std::sort(ties.begin(), ties.end());
    out.insert(out.end(), ties.begin(), ties.end());
    it = range.second;
  }
  return out;
}

std::string AgeNameKey(const Row& row) {
  // Signed ages in an order-preserving form, then the name as stored.
  char buf[16];
  std::snprintf(buf, sizeof buf, "%010lld", static_cast<long long>(row.age) + 1000000000LL);
  return std::string(buf) + "|" + row.name;
}

std::string FoldedName(const Row& row) {
  std::string s = row.name;
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

using IndexModel = IndexedDatabase;

TEST_F(IndexModel, ThousandsOfRandomStepsKeepBothIndexesExact) {
  Build("name.VNX", {"Name"}, 512, 0, db::index::kFoldLetterCase);
  Build("age_name.VNX", {"Age", "Name"}, 512);  // 16-byte keys: 25 per page
  ASSERT_EQ(OpenWith({"name", "age_name"}), 0);
  std::mt19937 rng(20240601);
  std::vector<Row> rows;
  auto random_name = [&] {
    std::string s;
    const int len = 1 + static_cast<int>(rng() % 3);
    for (int i = 0; i < len; ++i) s += "aAbBc"[rng() % 5];
    return s;
  };
  auto random_age = [&] { return static_cast<std::int32_t>(rng() % 40) - 10; };

  const int steps = 2000;
  for (int step = 0; step < steps; ++step) {
    const unsigned action = rng() % 20;
    const bool any_marked = std::any_of(rows.begin(), rows.end(), [](const Row& r) { return r.marked; });
    if (rows.empty() || action < 9) {
      Row row{random_name(), random_age(), false};
      ASSERT_EQ(Add(row.name.c_str(), row.age, 0.5), 0);
      rows.push_back(row);
    } else if (action < 12) {
      const std::size_t r = rng() % rows.size();
      rows[r].name = random_name();
      ASSERT_EQ(WriteName(static_cast<std::int64_t>(r), rows[r].name.c_str()), 0);
    } else if (action < 15) {
      const std::size_t r = rng() % rows.size();
      rows[r].age = random_age();
      ASSERT_EQ(WriteAge(static_cast<std::int64_t>(r), rows[r].age), 0);
    } else if (action < 18) {
      const std::size_t r = rng() % rows.size();
      ASSERT_EQ(Delete(static_cast<std::int64_t>(r)), 0);
      rows[r].marked = true;
    } else if (any_marked) {
      ASSERT_EQ(db::PurgeDeletedRecords(Db()), 0);
      std::erase_if(rows, [](const Row& r) { return r.marked; });
    }

    std::multimap<std::string, std::uint32_t> by_name;
    std::multimap<std::string, std::uint32_t> by_age_name;
    for (std::uint32_t r = 0; r < rows.size(); ++r) {
      by_name.emplace(FoldedName(rows[r]), r);
      by_age_name.emplace(AgeNameKey(rows[r]), r);
    }
    for (const auto& [file, model] : {std::pair{"name.VNX", &by_name}, std::pair{"age_name.VNX", &by_age_name}}) {
      const db::index::TreeReport report = db::index::VerifyIndexFile(Db(), folder_.File(file));
      ASSERT_TRUE(report.sound()) << file << " at step " << step << ": " << report.problems.front();
      std::vector<std::uint32_t> order;
      for (const auto& e : report.entries) order.push_back(e.record);
      ASSERT_EQ(order, ModelOrder(*model)) << file << " at step " << step;
    }
  }
}

}  // namespace
