#include "db/index/tree_check.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "db/index/index_tree.h"

namespace db::index {
namespace {

constexpr std::size_t kMaxDepth = 64;

class Checker {
 public:
  Checker(platform::File& file, const KeyLayout& layout, TreeReport& report)
      : file_(file), layout_(layout), k_(layout.key_size()), report_(report) {}

  void Run();

 private:
  void Problem(std::string text) {
    if (report_.problems.size() < 50) report_.problems.push_back(std::move(text));
  }
  bool ReadPage(std::uint32_t n, std::vector<std::uint8_t>* bytes);
  // Walks the subtree at page n; returns false when it could not be walked.
  // `largest` receives its last key.
  bool Walk(std::uint32_t n, std::size_t depth, bool is_root, std::vector<std::uint8_t>& largest);
  void CheckFreeList();

  platform::File& file_;
  const KeyLayout& layout_;
  std::size_t k_;
  TreeReport& report_;
  IndexHeader header_;
  std::int32_t max_keys_ = 0;
  std::set<std::uint32_t> seen_;
  std::int32_t leaf_depth_ = -1;
};

bool Checker::ReadPage(std::uint32_t n, std::vector<std::uint8_t>* out) {
  std::vector<std::uint8_t>& bytes = *out;
  bytes.assign(static_cast<std::size_t>(header_.page_size), 0);
  std::size_t got = 0;
  const auto fe = file_.Read(static_cast<std::uint64_t>(n) * static_cast<std::uint64_t>(header_.page_size),
                             bytes.data(), bytes.size(), &got);
  if ((fe != platform::FileError::kNone && fe != platform::FileError::kEndOfFile) || got != bytes.size()) {
    Problem("page " + std::to_string(n) + ": cannot be read");
    return false;
  }
  return true;
}

bool Checker::Walk(std::uint32_t n, std::size_t depth, bool is_root, std::vector<std::uint8_t>& largest) {
  const std::string where = "page " + std::to_string(n);
  if (n < 1 || n >= static_cast<std::uint32_t>(header_.page_count)) {
    Problem(where + ": page number out of range");
    return false;
  }
  if (depth >= kMaxDepth || !seen_.insert(n).second) {
    Problem(where + ": reached twice (pages link in a cycle or are shared)");
    return false;
  }
  ++report_.tree_pages;
  std::vector<std::uint8_t> bytes;
  if (!ReadPage(n, &bytes)) return false;
  TreePage page;
  if (!DecodeTreePage(bytes, k_, max_keys_, &page)) {
    Problem(where + ": not a tree page, or its count exceeds maxKeys");
    return false;
  }
  const std::size_t count = page.count(k_);
  if (!is_root && count == 0) Problem(where + ": a non-root page without keys");
  if (is_root && page.inner && count == 0) Problem(where + ": an inner root without keys");
  for (std::size_t i = 1; i < count; ++i) {
    const int c = layout_.Compare(page.key(i - 1, k_), page.key(i, k_));
    if (c > 0 || (c == 0 && !page.inner && page.refs[i - 1] >= page.refs[i]))
      Problem(where + ": keys out of order at " + std::to_string(i));
  }
  if (!page.inner) {
    const auto d = static_cast<std::int32_t>(depth) + 1;
    if (leaf_depth_ < 0) leaf_depth_ = d;
    if (d != leaf_depth_) Problem(where + ": leaf at a different depth");
    for (std::size_t i = 0; i < count; ++i) {
      const std::uint8_t* key = page.key(i, k_);
      report_.entries.push_back(TreeEntry{std::vector<std::uint8_t>(key, key + k_), page.refs[i]});
    }
    if (count > 0) largest.assign(page.key(count - 1, k_), page.key(count - 1, k_) + k_);
    return true;
  }
  for (std::size_t i = 0; i <= count; ++i) {
    std::vector<std::uint8_t> child_largest;
    const std::size_t before = report_.entries.size();
    if (!Walk(page.refs[i], depth + 1, false, child_largest)) return false;
    if (report_.entries.size() == before) continue;
    if (i < count && layout_.Compare(child_largest.data(), page.key(i, k_)) != 0)
      Problem(where + ": separator " + std::to_string(i) + " is not the largest key of its left subtree");
    largest = std::move(child_largest);
  }
  return true;
}

void Checker::CheckFreeList() {
  std::uint32_t n = static_cast<std::uint32_t>(header_.free_head);
  std::uint32_t prev = 0;
  std::int32_t walked = 0;
  while (n != 0) {
    const std::string where = "free page " + std::to_string(n);
    if (n >= static_cast<std::uint32_t>(header_.page_count) || walked > header_.page_count) {
      Problem(where + ": out of range, or the free list runs in a cycle");
      return;
    }
    if (!seen_.insert(n).second) {
      Problem(where + ": also in the tree or listed twice");
      return;
    }
    std::vector<std::uint8_t> bytes;
    if (!ReadPage(n, &bytes)) return;
    if (!IsFreePage(bytes)) {
      Problem(where + ": not marked free");
      return;
    }
    const FreeLinks links = ReadFreeLinks(bytes);
    if (links.prev != prev) Problem(where + ": its previous link does not name the page before it");
    ++walked;
    prev = n;
    n = links.next;
  }
  report_.free_pages = walked;
  if (walked != header_.free_count)
    Problem("free list holds " + std::to_string(walked) + " pages, header says " + std::to_string(header_.free_count));
}

void Checker::Run() {
  if (const int rc = ReadIndexHeader(file_, &header_); rc != 0) {
    Problem("header cannot be read");
    return;
  }
  if (!header_.has_magic()) Problem("header: wrong magic");
  if (header_.page_size < kMinPageSize) Problem("header: page size below 512");
  if (header_.key_size != static_cast<std::int32_t>(k_)) Problem("header: key size differs from the key fields");
  if (header_.page_count < 2) Problem("header: fewer than 2 pages");
  if (header_.root < 1 || header_.root >= header_.page_count) Problem("header: root out of range");
  if (header_.free_count < 0 || header_.free_count >= header_.page_count) Problem("header: free count out of range");
  if (header_.free_head < 0 || header_.free_head >= header_.page_count) Problem("header: free head out of range");
  if (!report_.problems.empty()) return;
  max_keys_ = MaxKeys(header_.page_size, header_.key_size);
  std::uint64_t length = 0;
  if (file_.Size(&length) != platform::FileError::kNone) {
    Problem("file length cannot be read");
    return;
  }
  const auto expected = static_cast<std::uint64_t>(header_.page_count) * static_cast<std::uint64_t>(header_.page_size);
  if (length != expected)
    Problem("file length " + std::to_string(length) + " differs from pageCount x pageSize = " + std::to_string(expected));

  std::vector<std::uint8_t> largest;
  Walk(static_cast<std::uint32_t>(header_.root), 0, true, largest);
  report_.depth = leaf_depth_ < 0 ? 0 : leaf_depth_;
  for (std::size_t i = 1; i < report_.entries.size(); ++i) {
    const TreeEntry& a = report_.entries[i - 1];
    const TreeEntry& b = report_.entries[i];
    const int c = layout_.Compare(a.key.data(), b.key.data());
    if (c > 0 || (c == 0 && a.record >= b.record)) {
      Problem("entries out of order at record " + std::to_string(b.record));
      break;
    }
  }
  CheckFreeList();
  const std::int32_t accounted = report_.tree_pages + report_.free_pages;
  if (report_.problems.empty() && accounted != header_.page_count - 1)
    Problem(std::to_string(header_.page_count - 1 - accounted) + " pages are neither in the tree nor free");
}

}  // namespace

TreeReport CheckIndexTree(platform::File& file, const KeyLayout& layout) {
  TreeReport report;
  IndexLock lock(file);
  if (lock.code() != 0) {
    report.problems.push_back("the index file cannot be locked");
    return report;
  }
  Checker(file, layout, report).Run();
  if (lock.Release() != 0) report.problems.push_back("the index file cannot be unlocked");
  return report;
}

void CompareEntries(const KeyLayout& layout, std::vector<TreeEntry> expected, TreeReport& report) {
  std::sort(expected.begin(), expected.end(), [&](const TreeEntry& a, const TreeEntry& b) {
    const int c = layout.Compare(a.key.data(), b.key.data());
    return c != 0 ? c < 0 : a.record < b.record;
  });
  const auto& actual = report.entries;
  if (actual.size() != expected.size())
    report.problems.push_back("the tree holds " + std::to_string(actual.size()) + " entries, the records " +
                              std::to_string(expected.size()));
  const std::size_t n = std::min(actual.size(), expected.size());
  for (std::size_t i = 0; i < n; ++i) {
    if (actual[i].record != expected[i].record || actual[i].key != expected[i].key) {
      report.problems.push_back("entry " + std::to_string(i) + " is record " + std::to_string(actual[i].record) +
                                ", expected record " + std::to_string(expected[i].record) + " with its key");
      return;
    }
  }
}

}  // namespace db::index
