#include "db/index/index_tree.h"

#include <cassert>
#include <cstring>
#include <optional>

#include "db/format.h"
#include "db/errors.h"
#include "db/index/page_cache.h"

namespace db::index {
namespace {

// Deeper than any tree of 2^31 pages with 6 or more keys per page: a
// longer path means the pages link in a cycle.
constexpr std::size_t kMaxDepth = 64;

int FromFile(platform::FileError fe) { return platform::FileErrorCode(fe); }

// One page on the way from the root down; `child` is the index of the
// child taken (inner pages) and is unused for the leaf.
struct Step {
  std::uint32_t page;
  TreePage node;
  std::size_t child;
};
using Path = std::vector<Step>;

// One locked operation on the tree.
class Operation {
 public:
  Operation(platform::File& file, const KeyLayout& layout, std::int32_t page_size, std::int32_t max_keys)
      : file_(file),
        layout_(layout),
        k_(layout.key_size()),
        page_size_(page_size),
        max_keys_(max_keys),
        cache_(file, static_cast<std::uint32_t>(page_size)) {}

  int Begin();
  // Ends the operation: on success writes the header when it changed and
  // the modified pages, and cuts the file when it lost pages; on failure
  // drops the cached changes. Always unlocks. Returns the first error.
  int Finish(int status);

  int Insert(const std::uint8_t* key, std::uint32_t record);
  int Remove(const std::uint8_t* key, std::uint32_t record);
  int Reset();

 private:
  int Load(std::uint32_t n, TreePage* out);
  int Store(std::uint32_t n, const TreePage& node);
  int ReadFree(std::uint32_t n, FreeLinks* links);
  int WriteFree(std::uint32_t n, const FreeLinks& links);
  int TakePage(std::uint32_t* n);
  int ReleasePage(std::uint32_t n);
  int UnlinkFree(std::uint32_t n);

  int CompareEntry(const std::uint8_t* key_a, std::uint32_t rec_a, const std::uint8_t* key_b,
                   std::uint32_t rec_b) const;
  std::size_t LowerBound(const TreePage& leaf, const std::uint8_t* key, std::uint32_t record) const;
  int LargestRecord(std::uint32_t page, std::uint32_t* record);
  int ChooseChild(const TreePage& node, const std::uint8_t* key, std::uint32_t record, std::size_t* child);
  int Descend(const std::uint8_t* key, std::uint32_t record, Path* path);

  int Settle(Path& path, std::size_t level);
  int SetLargestAbove(Path& path, std::size_t level, const std::uint8_t* key);
  int RemoveChild(Path& path, std::size_t level);
  int Rebalance(Path& path, std::size_t level);

  platform::File& file_;
  const KeyLayout& layout_;
  std::size_t k_;
  std::int32_t page_size_;
  std::int32_t max_keys_;
  PageCache cache_;
  std::optional<IndexLock> lock_;  // from Begin; released by Finish or on destruction
  IndexHeader start_;
  IndexHeader header_;
  bool cut_file_ = false;
};

int Operation::Begin() {
  lock_.emplace(file_);
  if (const int rc = lock_->code(); rc != 0) return rc;
  int rc = ReadIndexHeader(file_, &header_);
  if (rc == 0) {
    const bool sound = header_.page_size == page_size_ && header_.key_size == static_cast<std::int32_t>(k_) &&
                       header_.page_count >= 2 && header_.root >= 1 && header_.root < header_.page_count &&
                       header_.free_count >= 0 && header_.free_count < header_.page_count &&
                       header_.free_head >= 0 && header_.free_head < header_.page_count;
    if (!sound) rc = Because(err::kIndexAccessFailed, "index header: sizes or page numbers out of range");
  }
  if (rc != 0) {
    lock_.reset();  // unlocks; the first error is the one to report
    return rc;
  }
  start_ = header_;
  return 0;
}

int Operation::Finish(int status) {
  if (status == 0 && !(header_ == start_)) status = WriteIndexHeader(file_, header_);
  if (status == 0) {
    status = cache_.Flush();
  } else {
    cache_.Discard();
  }
  if (status == 0 && (cut_file_ || header_.page_count < start_.page_count)) {
    const auto length = static_cast<std::uint64_t>(header_.page_count) * static_cast<std::uint64_t>(page_size_);
    if (const auto fe = file_.Truncate(length); fe != platform::FileError::kNone) status = FromFile(fe);
  }
  const int unlock = lock_->Release();
  return status != 0 ? status : unlock;
}

int Operation::Load(std::uint32_t n, TreePage* out) {
  if (n < 1 || n >= static_cast<std::uint32_t>(header_.page_count))
    return Because(err::kIndexAccessFailed, "tree page number outside the file");
  std::vector<std::uint8_t> bytes;
  if (const int rc = cache_.Read(n, &bytes); rc != 0) return rc;
  if (!DecodeTreePage(bytes, k_, max_keys_, out))
    return Because(err::kIndexAccessFailed, "tree page: free, or more keys than fit");
  return 0;
}

int Operation::Store(std::uint32_t n, const TreePage& node) {
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(page_size_));
  EncodeTreePage(node, k_, bytes);
  return cache_.Write(n, bytes);
}

int Operation::ReadFree(std::uint32_t n, FreeLinks* links) {
  if (n < 1 || n >= static_cast<std::uint32_t>(header_.page_count))
    return Because(err::kIndexAccessFailed, "free list: page number outside the file");
  std::vector<std::uint8_t> bytes;
  if (const int rc = cache_.Read(n, &bytes); rc != 0) return rc;
  if (!IsFreePage(bytes)) return Because(err::kIndexAccessFailed, "free list: links a page that is not free");
  *links = ReadFreeLinks(bytes);
  return 0;
}

int Operation::WriteFree(std::uint32_t n, const FreeLinks& links) {
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(page_size_));
  EncodeFreePage(links, bytes);
  return cache_.Write(n, bytes);
}

int Operation::TakePage(std::uint32_t* n) {
  if (header_.free_count <= 0) {
    *n = static_cast<std::uint32_t>(header_.page_count);
    ++header_.page_count;
    return 0;
  }
  *n = static_cast<std::uint32_t>(header_.free_head);
  FreeLinks links;
  if (const int rc = ReadFree(*n, &links); rc != 0) return rc;
  if (links.next != 0) {
    FreeLinks next;
    if (const int rc = ReadFree(links.next, &next); rc != 0) return rc;
    next.prev = 0;
    if (const int rc = WriteFree(links.next, next); rc != 0) return rc;
  }
  header_.free_head = static_cast<std::int32_t>(links.next);
  --header_.free_count;
  return 0;
}

int Operation::UnlinkFree(std::uint32_t n) {
  FreeLinks links;
  if (const int rc = ReadFree(n, &links); rc != 0) return rc;
  if (header_.free_count <= 0) return Because(err::kIndexAccessFailed, "free list: longer than the header's free count");
  if (links.prev != 0) {
    FreeLinks prev;
    if (const int rc = ReadFree(links.prev, &prev); rc != 0) return rc;
    prev.next = links.next;
    if (const int rc = WriteFree(links.prev, prev); rc != 0) return rc;
  } else {
    header_.free_head = static_cast<std::int32_t>(links.next);
  }
  if (links.next != 0) {
    FreeLinks next;
    if (const int rc = ReadFree(links.next, &next); rc != 0) return rc;
    next.prev = links.prev;
    if (const int rc = WriteFree(links.next, next); rc != 0) return rc;
  }
  --header_.free_count;
  return 0;
}

int Operation::ReleasePage(std::uint32_t n) {
  auto last = [this] { return static_cast<std::uint32_t>(header_.page_count - 1); };
  if (n != last()) {
    const FreeLinks links{0, static_cast<std::uint32_t>(header_.free_head)};
    if (header_.free_head != 0) {
      FreeLinks head;
      if (const int rc = ReadFree(links.next, &head); rc != 0) return rc;
      head.prev = n;
      if (const int rc = WriteFree(links.next, head); rc != 0) return rc;
    }
    if (const int rc = WriteFree(n, links); rc != 0) return rc;
    header_.free_head = static_cast<std::int32_t>(n);
    ++header_.free_count;
    return 0;
  }
  // The last page goes, and with it every free page directly before it.
  --header_.page_count;
  cache_.DropFrom(static_cast<std::uint32_t>(header_.page_count));
  while (header_.free_count > 0 && last() >= 1) {
    std::vector<std::uint8_t> bytes;
    if (const int rc = cache_.Read(last(), &bytes); rc != 0) return rc;
    if (!IsFreePage(bytes)) break;
    if (const int rc = UnlinkFree(last()); rc != 0) return rc;
    --header_.page_count;
    cache_.DropFrom(static_cast<std::uint32_t>(header_.page_count));
  }
  return 0;
}

int Operation::CompareEntry(const std::uint8_t* key_a, std::uint32_t rec_a, const std::uint8_t* key_b,
                            std::uint32_t rec_b) const {
  const int c = layout_.Compare(key_a, key_b);
  if (c != 0) return c;
  return rec_a < rec_b ? -1 : (rec_a > rec_b ? 1 : 0);
}

std::size_t Operation::LowerBound(const TreePage& leaf, const std::uint8_t* key, std::uint32_t record) const {
  std::size_t lo = 0;
  std::size_t hi = leaf.count(k_);
  while (lo < hi) {
    const std::size_t mid = (lo + hi) / 2;
    if (CompareEntry(leaf.key(mid, k_), leaf.refs[mid], key, record) < 0) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  return lo;
}

int Operation::LargestRecord(std::uint32_t page, std::uint32_t* record) {
  for (std::size_t depth = 0; depth < kMaxDepth; ++depth) {
    TreePage node;
    if (const int rc = Load(page, &node); rc != 0) return rc;
    if (node.inner) {
      page = node.refs.back();
      continue;
    }
    if (node.refs.empty()) return Because(err::kIndexAccessFailed, "tree: an empty leaf below an inner page");
    *record = node.refs.back();
    return 0;
  }
  return Because(err::kIndexAccessFailed, "tree: deeper than any sound tree (pages in a cycle)");
}

// Inner pages hold keys without record numbers, so equal keys may run over
// several children. The child whose subtree holds (key, record)'s position
// is the first whose largest entry is not smaller; for children whose
// separator equals the key that is decided by the record number of their
// largest entry, found by a binary search over that run.
int Operation::ChooseChild(const TreePage& node, const std::uint8_t* key, std::uint32_t record,
                           std::size_t* child) {
  const std::size_t count = node.count(k_);
  std::size_t lo = 0;
  std::size_t hi = count;
  while (lo < hi) {  // first separator >= key
    const std::size_t mid = (lo + hi) / 2;
    if (layout_.Compare(node.key(mid, k_), key) < 0) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  std::size_t run_end = lo;
  while (run_end < count && layout_.Compare(node.key(run_end, k_), key) == 0) ++run_end;
  // Children lo .. run_end - 1 end with this key; child run_end ends above it.
  std::size_t first = lo;
  std::size_t last = run_end;
  while (first < last) {
    const std::size_t mid = (first + last) / 2;
    std::uint32_t largest = 0;
    if (const int rc = LargestRecord(node.refs[mid], &largest); rc != 0) return rc;
    if (largest < record) {
      first = mid + 1;
    } else {
      last = mid;
    }
  }
  *child = first;
  return 0;
}

int Operation::Descend(const std::uint8_t* key, std::uint32_t record, Path* out) {
  Path& path = *out;
  path.clear();
  auto page = static_cast<std::uint32_t>(header_.root);
  for (std::size_t depth = 0; depth < kMaxDepth; ++depth) {
    Step step{page, {}, 0};
    if (const int rc = Load(page, &step.node); rc != 0) return rc;
    if (!step.node.inner) {
      path.push_back(std::move(step));
      return 0;
    }
    if (const int rc = ChooseChild(step.node, key, record, &step.child); rc != 0) return rc;
    page = step.node.refs[step.child];
    path.push_back(std::move(step));
  }
  return Because(err::kIndexAccessFailed, "tree: deeper than any sound tree (pages in a cycle)");
}

int Operation::Insert(const std::uint8_t* key, std::uint32_t record) {
  Path path;
  if (const int rc = Descend(key, record, &path); rc != 0) return rc;
  TreePage& leaf = path.back().node;
  const std::size_t pos = LowerBound(leaf, key, record);
  if (pos < leaf.count(k_) && CompareEntry(leaf.key(pos, k_), leaf.refs[pos], key, record) == 0) return 0;
  leaf.keys.insert(leaf.keys.begin() + static_cast<std::ptrdiff_t>(pos * k_), key, key + k_);
  leaf.refs.insert(leaf.refs.begin() + static_cast<std::ptrdiff_t>(pos), record);
  return Settle(path, path.size() - 1);
}

// Stores the page at `level`, splitting it when it holds more than
// maxKeys keys: the first maxKeys div 2 keys stay, the rest move to a new
// page, and the largest key left behind goes up as the separator.
int Operation::Settle(Path& path, std::size_t level) {
  assert(level < path.size());
  TreePage& left = path[level].node;
  const std::size_t count = left.count(k_);
  if (count <= static_cast<std::size_t>(max_keys_)) return Store(path[level].page, left);
  // One key too many: both halves keep at least one key.
  assert(count == static_cast<std::size_t>(max_keys_) + 1 && max_keys_ >= 2);
  assert(left.refs.size() == count + (left.inner ? 1 : 0));

  std::uint32_t right_no = 0;
  if (const int rc = TakePage(&right_no); rc != 0) return rc;
  const std::size_t keep = static_cast<std::size_t>(SplitKeep(max_keys_));
  TreePage right;
  right.inner = left.inner;
  std::vector<std::uint8_t> separator;
  if (!left.inner) {
    separator.assign(left.key(keep - 1, k_), left.key(keep - 1, k_) + k_);
    right.keys.assign(left.keys.begin() + static_cast<std::ptrdiff_t>(keep * k_), left.keys.end());
    right.refs.assign(left.refs.begin() + static_cast<std::ptrdiff_t>(keep), left.refs.end());
    left.refs.resize(keep);
  } else {
    separator.assign(left.key(keep, k_), left.key(keep, k_) + k_);
    right.keys.assign(left.keys.begin() + static_cast<std::ptrdiff_t>((keep + 1) * k_), left.keys.end());
    right.refs.assign(left.refs.begin() + static_cast<std::ptrdiff_t>(keep + 1), left.refs.end());
    left.refs.resize(keep + 1);
  }
  left.keys.resize(keep * k_);
  if (const int rc = Store(path[level].page, left); rc != 0) return rc;
  if (const int rc = Store(right_no, right); rc != 0) return rc;

  if (level == 0) {
    std::uint32_t root_no = 0;
    if (const int rc = TakePage(&root_no); rc != 0) return rc;
    TreePage root;
    root.inner = true;
    root.keys = separator;
    root.refs = {path[0].page, right_no};
    if (const int rc = Store(root_no, root); rc != 0) return rc;
    header_.root = static_cast<std::int32_t>(root_no);
    return 0;
  }
  Step& parent = path[level - 1];
  parent.node.keys.insert(parent.node.keys.begin() + static_cast<std::ptrdiff_t>(parent.child * k_),
                          separator.begin(), separator.end());
  parent.node.refs.insert(parent.node.refs.begin() + static_cast<std::ptrdiff_t>(parent.child + 1), right_no);
  return Settle(path, level - 1);
}

// The subtree at `level` now ends with `key`: the separator that names its
// largest key is the one to the right of it in the nearest ancestor where it
// is not the last child.
int Operation::SetLargestAbove(Path& path, std::size_t level, const std::uint8_t* key) {
  assert(level < path.size());
  for (std::size_t j = level; j-- > 0;) {
    Step& step = path[j];
    if (step.child >= step.node.count(k_)) continue;
    std::uint8_t* separator = step.node.keys.data() + step.child * k_;
    if (std::memcmp(separator, key, k_) == 0) return 0;
    std::memcpy(separator, key, k_);
    return Store(step.page, step.node);
  }
  return 0;
}

int Operation::Remove(const std::uint8_t* key, std::uint32_t record) {
  Path path;
  if (const int rc = Descend(key, record, &path); rc != 0) return rc;
  const std::size_t level = path.size() - 1;
  TreePage& leaf = path[level].node;
  const std::size_t pos = LowerBound(leaf, key, record);
  if (pos >= leaf.count(k_) || CompareEntry(leaf.key(pos, k_), leaf.refs[pos], key, record) != 0)
    return err::kEntryNotFound;
  leaf.keys.erase(leaf.keys.begin() + static_cast<std::ptrdiff_t>(pos * k_),
                  leaf.keys.begin() + static_cast<std::ptrdiff_t>((pos + 1) * k_));
  leaf.refs.erase(leaf.refs.begin() + static_cast<std::ptrdiff_t>(pos));
  const std::size_t count = leaf.count(k_);
  // The last entry of the whole tree went: start over from the compact
  // empty tree (root 1, two pages) rather than keep free pages around it.
  if (count == 0 && level == 0) return Reset();
  if (count > 0) {
    if (const int rc = Store(path[level].page, leaf); rc != 0) return rc;
    if (pos == count) return SetLargestAbove(path, level, leaf.key(count - 1, k_));
    return 0;
  }
  if (const int rc = ReleasePage(path[level].page); rc != 0) return rc;
  return RemoveChild(path, level - 1);
}

// Removes the child taken at `level` (already released) from that page.
int Operation::RemoveChild(Path& path, std::size_t level) {
  assert(level < path.size());
  Step& step = path[level];
  TreePage& node = step.node;
  const std::size_t count = node.count(k_);
  // An inner page of a damaged file may hold no key: no separator goes
  // with the child (and none is left to name the page's largest key).
  if (count == 0) return Because(err::kIndexAccessFailed, "tree: an inner page without keys");
  assert(node.inner && node.refs.size() == count + 1 && step.child <= count);
  if (step.child < count) {
    node.keys.erase(node.keys.begin() + static_cast<std::ptrdiff_t>(step.child * k_),
                    node.keys.begin() + static_cast<std::ptrdiff_t>((step.child + 1) * k_));
    node.refs.erase(node.refs.begin() + static_cast<std::ptrdiff_t>(step.child));
  } else {
    // The last child goes: the page now ends where its previous child ends.
    std::vector<std::uint8_t> largest(node.key(count - 1, k_), node.key(count - 1, k_) + k_);
    node.keys.resize((count - 1) * k_);
    node.refs.pop_back();
    if (const int rc = SetLargestAbove(path, level, largest.data()); rc != 0) return rc;
  }
  if (node.count(k_) >= 1) return Store(step.page, node);
  if (level == 0) {  // a root with a single child hands the root to it
    header_.root = static_cast<std::int32_t>(node.refs[0]);
    return ReleasePage(step.page);
  }
  return Rebalance(path, level);
}

// The non-root inner page at `level` has no key left, only one child. The
// child joins a neighbour (the left one when there is one) if that has room,
// else the neighbour lends its nearest child so the page holds one key.
int Operation::Rebalance(Path& path, std::size_t level) {
  assert(level >= 1 && level < path.size());
  Step& step = path[level];
  Step& up = path[level - 1];
  TreePage& page = step.node;
  TreePage& parent = up.node;
  assert(page.inner && page.count(k_) == 0 && page.refs.size() == 1);
  // A parent without a key (a damaged file) has no neighbour for the page.
  if (parent.count(k_) == 0) return Because(err::kIndexAccessFailed, "tree: an inner page without keys");
  assert(parent.inner && parent.refs.size() == parent.count(k_) + 1 && up.child < parent.refs.size() &&
         parent.refs[up.child] == step.page);
  const std::uint32_t only_child = page.refs[0];
  const std::size_t at = up.child;
  const auto full = static_cast<std::size_t>(max_keys_);
  TreePage sibling;
  bool merged = false;
  if (at > 0) {
    const std::uint32_t sibling_no = parent.refs[at - 1];
    if (const int rc = Load(sibling_no, &sibling); rc != 0) return rc;
    if (!sibling.inner) return Because(err::kIndexAccessFailed, "tree: a leaf beside an inner page");
    const std::uint8_t* sibling_largest = parent.key(at - 1, k_);
    const std::size_t n = sibling.count(k_);
    if (n < full) {
      sibling.keys.insert(sibling.keys.end(), sibling_largest, sibling_largest + k_);
      sibling.refs.push_back(only_child);
      if (const int rc = Store(sibling_no, sibling); rc != 0) return rc;
      parent.keys.erase(parent.keys.begin() + static_cast<std::ptrdiff_t>((at - 1) * k_),
                        parent.keys.begin() + static_cast<std::ptrdiff_t>(at * k_));
      parent.refs.erase(parent.refs.begin() + static_cast<std::ptrdiff_t>(at));
      merged = true;
    } else {
      page.keys.assign(sibling_largest, sibling_largest + k_);
      page.refs = {sibling.refs.back(), only_child};
      std::memcpy(parent.keys.data() + (at - 1) * k_, sibling.key(n - 1, k_), k_);
      sibling.keys.resize((n - 1) * k_);
      sibling.refs.pop_back();
      if (const int rc = Store(sibling_no, sibling); rc != 0) return rc;
    }
  } else {
    const std::uint32_t sibling_no = parent.refs[1];
    if (const int rc = Load(sibling_no, &sibling); rc != 0) return rc;
    if (!sibling.inner) return Because(err::kIndexAccessFailed, "tree: a leaf beside an inner page");
    const std::vector<std::uint8_t> page_largest(parent.key(0, k_), parent.key(0, k_) + k_);
    const std::size_t n = sibling.count(k_);
    if (n < full) {
      sibling.keys.insert(sibling.keys.begin(), page_largest.begin(), page_largest.end());
      sibling.refs.insert(sibling.refs.begin(), only_child);
      if (const int rc = Store(sibling_no, sibling); rc != 0) return rc;
      parent.keys.erase(parent.keys.begin(), parent.keys.begin() + static_cast<std::ptrdiff_t>(k_));
      parent.refs.erase(parent.refs.begin());
      merged = true;
    } else {
      page.keys = page_largest;
      page.refs = {only_child, sibling.refs.front()};
      std::memcpy(parent.keys.data(), sibling.key(0, k_), k_);
      sibling.keys.erase(sibling.keys.begin(), sibling.keys.begin() + static_cast<std::ptrdiff_t>(k_));
      sibling.refs.erase(sibling.refs.begin());
      if (const int rc = Store(sibling_no, sibling); rc != 0) return rc;
    }
  }
  if (!merged) {
    if (const int rc = Store(step.page, page); rc != 0) return rc;
    return Store(up.page, parent);
  }
  if (const int rc = ReleasePage(step.page); rc != 0) return rc;
  if (parent.count(k_) >= 1) return Store(up.page, parent);
  if (level - 1 == 0) {
    header_.root = static_cast<std::int32_t>(parent.refs[0]);
    return ReleasePage(up.page);
  }
  return Rebalance(path, level - 1);
}

int Operation::Reset() {
  header_.page_count = 2;
  header_.free_count = 0;
  header_.free_head = 0;
  header_.root = 1;
  cache_.DropFrom(1);
  cut_file_ = true;
  return Store(1, TreePage{});
}

template <typename Work>
int RunOperation(platform::File& file, const KeyLayout& layout, std::int32_t page_size, std::int32_t max_keys,
                 Work work) {
  Operation op(file, layout, page_size, max_keys);
  if (const int rc = op.Begin(); rc != 0) return rc;
  return op.Finish(work(op));
}

}  // namespace

int LockWholeIndex(platform::File& file) {
  const platform::FileError fe = file.Lock(0, kWholeFileLength);
  if (fe == platform::FileError::kNone) return 0;
  if (fe == platform::FileError::kLockViolation || fe == platform::FileError::kSharingViolation)
    return err::kLockFailed;
  return FromFile(fe);
}

int UnlockWholeIndex(platform::File& file) {
  return file.Unlock(0, kWholeFileLength) == platform::FileError::kNone ? 0 : err::kUnlockFailed;
}

int ReadIndexHeader(platform::File& file, IndexHeader* header) {
  std::array<std::uint8_t, kHeaderBytes> bytes{};
  std::size_t got = 0;
  const platform::FileError fe = file.Read(0, bytes.data(), bytes.size(), &got);
  if (fe != platform::FileError::kNone && fe != platform::FileError::kEndOfFile) return FromFile(fe);
  if (got != bytes.size()) return Because(err::kIndexAccessFailed, "index header: file shorter than its header");
  *header = DecodeHeader(bytes);
  return 0;
}

int WriteIndexHeader(platform::File& file, const IndexHeader& header) {
  std::array<std::uint8_t, kHeaderBytes> bytes{};
  EncodeHeader(header, bytes);
  const platform::FileError fe = file.Write(0, bytes.data(), bytes.size());
  return fe == platform::FileError::kNone ? 0 : FromFile(fe);
}

IndexTree::IndexTree(platform::File& file, const KeyLayout& layout, std::int32_t page_size)
    : file_(file),
      layout_(layout),
      page_size_(page_size),
      max_keys_(MaxKeys(page_size, static_cast<std::int32_t>(layout.key_size()))) {}

int IndexTree::Insert(const std::uint8_t* key, std::uint32_t record) {
  return RunOperation(file_, layout_, page_size_, max_keys_, [&](Operation& op) { return op.Insert(key, record); });
}

int IndexTree::InsertAll(std::span<const KeyedRecord> entries) {
  return RunOperation(file_, layout_, page_size_, max_keys_, [&](Operation& op) {
    for (const KeyedRecord& e : entries)
      if (const int rc = op.Insert(e.key, e.record); rc != 0) return rc;
    return 0;
  });
}

int IndexTree::Remove(const std::uint8_t* key, std::uint32_t record) {
  return RunOperation(file_, layout_, page_size_, max_keys_, [&](Operation& op) { return op.Remove(key, record); });
}

int IndexTree::Move(const std::uint8_t* old_key, const std::uint8_t* new_key, std::uint32_t record) {
  return RunOperation(file_, layout_, page_size_, max_keys_, [&](Operation& op) {
    const int rc = op.Remove(old_key, record);
    if (rc != 0 && rc != err::kEntryNotFound) return rc;
    return op.Insert(new_key, record);
  });
}

int IndexTree::Reset() {
  return RunOperation(file_, layout_, page_size_, max_keys_, [](Operation& op) { return op.Reset(); });
}

}  // namespace db::index
