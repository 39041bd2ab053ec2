#include "db/rollback.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "db/errors.h"
#include "db/format.h"
#include "db/paths.h"

namespace db {
namespace {

// Copy layout: "QKRB", version 1, 8 zero bytes; then entries, each a
// 24-byte head (kind, file, position, length, checksum) and its bytes. An
// entry whose checksum does not match ends the copy: its write was never
// started, since each entry is flushed before the write it protects.
constexpr char kCopyMagic[4] = {'Q', 'K', 'R', 'B'};
constexpr std::uint64_t kCopyHeader = 16;
constexpr std::size_t kEntryHead = 24;
constexpr std::int32_t kKindLength = 1;  // position = the file's length before the change
constexpr std::int32_t kKindBytes = 2;   // the file's bytes at position
constexpr std::size_t kPiece = 65536;

// FNV-1a over the head (checksum word excluded) and the bytes.
std::uint32_t Checksum(const std::uint8_t* head, const std::uint8_t* data, std::size_t n) {
  std::uint32_t h = 2166136261u;
  auto mix = [&h](const std::uint8_t* p, std::size_t k) {
    for (std::size_t i = 0; i < k; ++i) h = (h ^ p[i]) * 16777619u;
  };
  mix(head, 20);
  mix(data, n);
  return h;
}

std::vector<std::uint8_t> MakeEntry(std::int32_t kind, int which, std::uint64_t pos, const std::uint8_t* data,
                                     std::size_t n) {
  std::vector<std::uint8_t> entry(kEntryHead + n);
  PutI32(&entry[0], kind);
  PutI32(&entry[4], which);
  platform::EncodeU64(&entry[8], pos);
  PutI32(&entry[16], static_cast<std::int32_t>(n));
  if (n > 0) std::memcpy(&entry[kEntryHead], data, n);
  PutI32(&entry[20], static_cast<std::int32_t>(Checksum(entry.data(), entry.data() + kEntryHead, n)));
  return entry;
}

// Reads the entries of a copy in order and hands each whole one to `take`
// (kind, file, position, bytes); an entry cut short or damaged ends the
// copy. 0, a file error code, or the first non-zero result of `take`.
template <typename Take>
int ReadEntries(platform::File& copy, Take take) {
  std::uint8_t magic[kCopyHeader];
  std::size_t got = 0;
  platform::FileError e = copy.Read(0, magic, sizeof magic, &got);
  if (e != platform::FileError::kNone) return FromFileError(e);
  if (got < sizeof magic || std::memcmp(magic, kCopyMagic, 4) != 0) return 0;  // never got going
  std::uint64_t pos = kCopyHeader;
  std::vector<std::uint8_t> data;
  for (;;) {
    std::uint8_t head[kEntryHead];
    e = copy.Read(pos, head, sizeof head, &got);
    if (e != platform::FileError::kNone) return FromFileError(e);
    if (got < sizeof head) return 0;
    std::int32_t kind = GetI32(head);
    std::int32_t which = GetI32(head + 4);
    std::uint64_t at = platform::DecodeU64(head + 8);
    std::int32_t n = GetI32(head + 16);
    if ((kind != kKindLength && kind != kKindBytes) || (which != 0 && which != 1) || n < 0 ||
        static_cast<std::size_t>(n) > kPiece)
      return 0;
    data.resize(static_cast<std::size_t>(n));
    e = copy.Read(pos + kEntryHead, data.data(), data.size(), &got);
    if (e != platform::FileError::kNone) return FromFileError(e);
    if (got < data.size() || static_cast<std::uint32_t>(GetI32(head + 20)) != Checksum(head, data.data(), data.size()))
      return 0;
    pos += kEntryHead + data.size();
    int code = take(kind, which, at, data);
    if (code != 0) return code;
  }
}

// Writes the saved bytes back into `files` (main, auxiliary; either may be
// null) and cuts them to their old lengths. 0 or a file error code.
int ApplyCopy(platform::File& copy, platform::File* files[2]) {
  std::uint64_t lengths[2] = {0, 0};
  bool have_length[2] = {false, false};
  int code = ReadEntries(copy, [&](std::int32_t kind, int which, std::uint64_t at, const std::vector<std::uint8_t>& data) {
    if (files[which] == nullptr) return 0;
    if (kind == kKindLength) {
      lengths[which] = at;
      have_length[which] = true;
      return 0;
    }
    return data.empty() ? 0 : FromFileError(files[which]->Write(at, data.data(), data.size()));
  });
  if (code != 0) return code;
  for (int i = 0; i < 2; ++i) {
    if (files[i] == nullptr) continue;
    platform::FileError e = platform::FileError::kNone;
    if (have_length[i]) {
      std::uint64_t size = 0;
      e = files[i]->Size(&size);
      if (e == platform::FileError::kNone && size != lengths[i]) e = files[i]->Truncate(lengths[i]);
      if (e != platform::FileError::kNone) return FromFileError(e);
    }
    e = files[i]->Flush();
    if (e != platform::FileError::kNone) return FromFileError(e);
  }
  return 0;
}

// A database file held under its whole-file lock while its rollback copy is
// read: a change in progress holds that lock until it has removed its copy,
// so a copy seen under it is stale. Members go in reverse order: the copy
// is closed before the lock is released.
struct StaleCopy {
  std::unique_ptr<DbFile> main;
  std::unique_ptr<WholeLock> lock;
  std::unique_ptr<platform::File> copy;  // null: nothing to turn back
};

// Opens the database (with `access`) and its copy when there is a stale one.
// 0 with no copy when there is none, or when another process holds the
// database in a way that keeps others out (that one is still working under
// the copy, or ended without one; the caller's own open meets the same
// refusal). Else 0 or the file error that prevented it.
int FindStaleCopy(const std::string& full_path, platform::FileAccess access, StaleCopy* out) {
  const std::string copy_path = RollbackPath(full_path);
  if (platform::QueryPath(copy_path) != platform::PathKind::kFile) return 0;
  std::unique_ptr<platform::File> raw;
  platform::FileError e =
      platform::OpenFile(full_path, access, platform::share::kReadWrite, platform::FileDisposition::kOpenExisting, &raw);
  if (e == platform::FileError::kSharingViolation || e == platform::FileError::kLockViolation) return 0;
  if (e != platform::FileError::kNone) return FromFileError(e);
  out->main = std::make_unique<DbFile>(std::move(raw));
  out->lock = std::make_unique<WholeLock>(*out->main);
  if (out->lock->code() != 0) return out->lock->code();
  if (platform::QueryPath(copy_path) != platform::PathKind::kFile) return 0;
  e = platform::OpenFile(copy_path, access, access == platform::FileAccess::kRead ? platform::share::kReadWrite : platform::share::kNone,
                         platform::FileDisposition::kOpenExisting, &out->copy);
  return FromFileError(e);
}

}  // namespace

std::string RollbackPath(const std::string& database_path) { return database_path + "-rollback"; }

RollbackCopy::~RollbackCopy() {
  // A change that neither committed nor turned back (it returned early)
  // turns back now.
  if (copy_) TurnBack();
}

RollbackCopy::Tracked* RollbackCopy::Find(DbFile& file) {
  for (Tracked& t : files_)
    if (t.file == &file) return &t;
  return nullptr;
}

int RollbackCopy::Append(const std::vector<std::uint8_t>& entry) {
  platform::FileError e = copy_->Write(end_, entry.data(), entry.size());
  if (e != platform::FileError::kNone) return FromFileError(e);
  end_ += entry.size();
  return 0;
}

int RollbackCopy::Begin(const std::string& database_path, DbFile& main, DbFile* aux) {
  path_ = RollbackPath(database_path);
  platform::FileError e = platform::OpenFile(path_, platform::FileAccess::kReadWrite, platform::share::kNone,
                                             platform::FileDisposition::kCreateAlways, &copy_);
  if (e != platform::FileError::kNone) {
    copy_.reset();
    return FromFileError(e);
  }
  std::uint8_t head[kCopyHeader] = {};
  std::memcpy(head, kCopyMagic, 4);
  PutI32(head + 4, 1);
  int code = FromFileError(copy_->Write(0, head, sizeof head));
  end_ = kCopyHeader;
  DbFile* files[2] = {&main, aux};
  for (int i = 0; i < 2 && code == 0; ++i) {
    files_[i] = Tracked{};
    if (files[i] == nullptr) continue;
    files_[i].file = files[i];
    code = files[i]->Size(&files_[i].length);
    if (code == 0) code = Append(MakeEntry(kKindLength, i, files_[i].length, nullptr, 0));
  }
  if (code == 0) code = FromFileError(copy_->Flush());
  if (code != 0) {
    copy_.reset();
    platform::RemoveFile(path_);
    return code;
  }
  main.set_guard(this);
  if (aux != nullptr) aux->set_guard(this);
  return 0;
}

int RollbackCopy::SaveRange(Tracked& t, int which, std::uint64_t from, std::uint64_t to) {
  // Bytes past the old end need no copy: turning back cuts them off.
  to = std::min(to, t.length);
  if (from >= to) return 0;
  // The parts of [from, to) not saved yet.
  std::vector<std::pair<std::uint64_t, std::uint64_t>> missing;
  std::uint64_t at = from;
  for (const auto& [a, b] : t.saved) {
    if (b <= at) continue;
    if (a >= to) break;
    if (a > at) missing.emplace_back(at, a);
    at = std::max(at, b);
  }
  if (at < to) missing.emplace_back(at, to);
  if (missing.empty()) return 0;
  std::vector<std::uint8_t> piece;
  for (const auto& [a, b] : missing) {
    for (std::uint64_t p = a; p < b;) {
      piece.resize(static_cast<std::size_t>(std::min<std::uint64_t>(kPiece, b - p)));
      std::size_t got = 0;
      platform::FileError e = t.file->raw().Read(p, piece.data(), piece.size(), &got);
      if (e != platform::FileError::kNone) return FromFileError(e);
      if (got == 0) break;  // the file ends here already
      int code = Append(MakeEntry(kKindBytes, which, p, piece.data(), got));
      if (code != 0) return code;
      p += got;
    }
  }
  int code = FromFileError(copy_->Flush());
  if (code != 0) return code;
  // Only now are the ranges safe to overwrite.
  t.saved.insert(t.saved.end(), missing.begin(), missing.end());
  std::sort(t.saved.begin(), t.saved.end());
  std::vector<std::pair<std::uint64_t, std::uint64_t>> merged;
  for (const auto& r : t.saved) {
    if (!merged.empty() && r.first <= merged.back().second)
      merged.back().second = std::max(merged.back().second, r.second);
    else
      merged.push_back(r);
  }
  t.saved = std::move(merged);
  return 0;
}

int RollbackCopy::Save(DbFile& file, std::uint64_t pos, std::uint64_t n) {
  Tracked* t = Find(file);
  if (t == nullptr || !copy_) return 0;
  return SaveRange(*t, t == &files_[0] ? 0 : 1, pos, pos + n);
}

int RollbackCopy::BeforeWrite(DbFile& file, std::uint64_t pos, std::size_t n) { return Save(file, pos, n); }

int RollbackCopy::BeforeTruncate(DbFile& file, std::uint64_t size) {
  Tracked* t = Find(file);
  if (t == nullptr || size >= t->length) return 0;
  return Save(file, size, t->length - size);
}

void RollbackCopy::Detach() {
  for (Tracked& t : files_)
    if (t.file != nullptr) t.file->set_guard(nullptr);
}

int RollbackCopy::RemoveCopy() {
  // An empty copy turns back nothing, so cutting it is the moment the
  // change counts as done; removing the file after that is tidying up.
  int code = FromFileError(copy_->Truncate(0));
  if (code != 0) return code;
  copy_.reset();
  platform::RemoveFile(path_);
  return 0;
}

int RollbackCopy::Commit() {
  if (!copy_) return 0;
  int code = 0;
  for (Tracked& t : files_)
    if (t.file != nullptr && code == 0) code = t.file->Flush();
  if (code == 0) {
    Detach();
    code = RemoveCopy();
    if (code == 0) return 0;
  }
  TurnBack();
  return code;
}

int RollbackCopy::TurnBack() {
  if (!copy_) return 0;
  Detach();
  platform::File* files[2] = {nullptr, nullptr};
  for (int i = 0; i < 2; ++i)
    if (files_[i].file != nullptr) files[i] = &files_[i].file->raw();
  int code = ApplyCopy(*copy_, files);
  if (code == 0) code = RemoveCopy();
  // Kept for the next open when anything failed.
  copy_.reset();
  return code;
}

int RestoreFromRollbackCopy(const std::string& full_path, bool* restored) {
  *restored = false;
  StaleCopy stale;
  int code = FindStaleCopy(full_path, platform::FileAccess::kReadWrite, &stale);
  if (code != 0 || !stale.copy) return code;
  std::unique_ptr<platform::File> aux;
  const std::string aux_path = WithExtension(full_path, "VDT");
  if (platform::QueryPath(aux_path) == platform::PathKind::kFile) {
    platform::FileError e = platform::OpenFile(aux_path, platform::FileAccess::kReadWrite, platform::share::kReadWrite,
                                               platform::FileDisposition::kOpenExisting, &aux);
    if (e != platform::FileError::kNone) return FromFileError(e);
  }
  platform::File* files[2] = {&stale.main->raw(), aux.get()};
  code = ApplyCopy(*stale.copy, files);
  if (code == 0) code = FromFileError(stale.copy->Truncate(0));
  *restored = code == 0;
  stale.copy.reset();
  if (code == 0) platform::RemoveFile(RollbackPath(full_path));
  int unlock = stale.lock->Release();
  return code != 0 ? code : unlock;
}

// ---------------------------------------------------------------- read-only view

// One file of the database seen through a recovered view.
class RecoveredFile final : public platform::File {
 public:
  RecoveredFile(std::shared_ptr<RecoveredView> view, std::unique_ptr<platform::File> inner, int which)
      : view_(std::move(view)), inner_(std::move(inner)), which_(which) {}

  platform::FileError Read(std::uint64_t pos, void* buffer, std::size_t n, std::size_t* got) override {
    if (view_->dropped_) return inner_->Read(pos, buffer, n, got);
    *got = 0;
    std::uint64_t size = 0;
    platform::FileError e = Size(&size);
    if (e != platform::FileError::kNone || pos >= size) return e;
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(n, size - pos));
    std::size_t inner_got = 0;
    e = inner_->Read(pos, buffer, want, &inner_got);
    if (e != platform::FileError::kNone) return e;
    auto* out = static_cast<std::uint8_t*>(buffer);
    // Past the file's own end up to the old length: what cutting it back
    // (which zero-extends) would leave before the saved bytes go in.
    std::fill(out + inner_got, out + want, static_cast<std::uint8_t>(0));
    const auto& saved = view_->layers_[which_].bytes;
    const std::uint64_t end = pos + want;
    auto it = saved.upper_bound(pos);
    if (it != saved.begin()) --it;
    for (; it != saved.end() && it->first < end; ++it) {
      const std::uint64_t from = std::max(pos, it->first);
      const std::uint64_t to = std::min(end, it->first + it->second.size());
      if (from < to) std::memcpy(out + (from - pos), it->second.data() + (from - it->first), static_cast<std::size_t>(to - from));
    }
    *got = want;
    return platform::FileError::kNone;
  }
  platform::FileError Write(std::uint64_t, const void*, std::size_t) override { return platform::FileError::kAccessDenied; }
  platform::FileError Size(std::uint64_t* size) override {
    const RecoveredView::Layer& layer = view_->layers_[which_];
    if (view_->dropped_ || !layer.has_length) return inner_->Size(size);
    *size = layer.length;
    return platform::FileError::kNone;
  }
  platform::FileError Truncate(std::uint64_t) override { return platform::FileError::kAccessDenied; }
  platform::FileError Flush() override { return inner_->Flush(); }
  platform::FileError Lock(std::uint64_t pos, std::uint64_t length) override {
    platform::FileError e = inner_->Lock(pos, length);
    // A lock is taken before every read: the moment to notice that another
    // process has turned the change back (the files now hold the saved
    // bytes, and later changes must be seen).
    if (e == platform::FileError::kNone && !view_->dropped_ &&
        platform::QueryPath(view_->copy_path_) != platform::PathKind::kFile)
      view_->dropped_ = true;
    return e;
  }
  platform::FileError Unlock(std::uint64_t pos, std::uint64_t length) override { return inner_->Unlock(pos, length); }

 private:
  std::shared_ptr<RecoveredView> view_;
  std::unique_ptr<platform::File> inner_;
  int which_;
};

int RecoveredView::Load(const std::string& full_path, std::shared_ptr<RecoveredView>* out) {
  out->reset();
  StaleCopy stale;
  int code = FindStaleCopy(full_path, platform::FileAccess::kRead, &stale);
  if (code != 0 || !stale.copy) return code;
  auto view = std::shared_ptr<RecoveredView>(new RecoveredView());
  view->copy_path_ = RollbackPath(full_path);
  bool any = false;
  code = ReadEntries(*stale.copy, [&](std::int32_t kind, int which, std::uint64_t at, const std::vector<std::uint8_t>& data) {
    any = true;
    Layer& layer = view->layers_[which];
    if (kind == kKindLength) {
      layer.has_length = true;
      layer.length = at;
    } else if (!data.empty()) {
      layer.bytes[at] = data;  // entries never overlap: each range is saved once
    }
    return 0;
  });
  if (code != 0) return code;
  stale.copy.reset();
  code = stale.lock->Release();
  if (code != 0) return code;
  // A copy without entries turns nothing back (a change that never got
  // going, or one complete but for removing its emptied copy).
  if (any) *out = std::move(view);
  return 0;
}

std::unique_ptr<platform::File> RecoveredView::Wrap(std::unique_ptr<platform::File> file, int which) {
  return std::make_unique<RecoveredFile>(shared_from_this(), std::move(file), which);
}

}  // namespace db
