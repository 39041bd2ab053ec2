#include "tests/support/faulty_files.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace qktest {
namespace {

using platform::FileError;

std::string BaseName(const std::string& path) {
  std::size_t cut = path.find_last_of("\\/");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

class FaultyFile final : public platform::File {
 public:
  FaultyFile(FaultyFileSystem& owner, std::unique_ptr<platform::File> inner, std::string name)
      : owner_(owner), inner_(std::move(inner)), name_(std::move(name)) {
    owner_.FileOpened();
  }
  ~FaultyFile() override {
    // Closing ends the locks of this open, as the operating system does.
    for (std::size_t i = 0; i < ranges_.size(); ++i) owner_.RangeUnlocked();
    owner_.FileClosed();
  }

  FileError Read(std::uint64_t pos, void* buffer, std::size_t n, std::size_t* got) override {
    if (owner_.ShouldFail("read", name_, pos)) {
      *got = 0;
      return owner_.cause();
    }
    return inner_->Read(pos, buffer, n, got);
  }
  FileError Write(std::uint64_t pos, const void* data, std::size_t n) override {
    if (owner_.ShouldFail("write", name_, pos)) {
      // A full disk refuses to grow the file: a write reaching past the
      // end takes its bytes up to the end and half of the rest.
      std::uint64_t size = 0;
      if (owner_.cause() == FileError::kDiskFull && inner_->Size(&size) == FileError::kNone && pos + n > size) {
        std::uint64_t inside = pos < size ? size - pos : 0;
        std::size_t taken = static_cast<std::size_t>(inside + (n - inside) / 2);
        if (taken > 0) inner_->Write(pos, data, taken);
      }
      return owner_.cause();
    }
    return inner_->Write(pos, data, n);
  }
  FileError Size(std::uint64_t* size) override { return inner_->Size(size); }
  FileError Truncate(std::uint64_t size) override {
    if (owner_.ShouldFail("truncate", name_, size)) return owner_.cause();
    return inner_->Truncate(size);
  }
  FileError Flush() override {
    if (owner_.ShouldFail("flush", name_, 0)) return owner_.cause();
    return inner_->Flush();
  }
  FileError Lock(std::uint64_t pos, std::uint64_t length) override {
    if (owner_.ShouldFail("lock", name_, pos)) return owner_.cause();
    FileError e = inner_->Lock(pos, length);
    if (e == FileError::kNone) {
      ranges_.emplace_back(pos, length);
      owner_.RangeLocked();
    }
    return e;
  }
  FileError Unlock(std::uint64_t pos, std::uint64_t length) override {
    FileError e = inner_->Unlock(pos, length);
    auto found = std::find(ranges_.begin(), ranges_.end(), std::make_pair(pos, length));
    if (e == FileError::kNone && found != ranges_.end()) {
      ranges_.erase(found);
      owner_.RangeUnlocked();
    }
    return e;
  }

 private:
  FaultyFileSystem& owner_;
  std::unique_ptr<platform::File> inner_;
  std::string name_;
  std::vector<std::pair<std::uint64_t, std::uint64_t>> ranges_;
};

}  // namespace

FaultyFileSystem::FaultyFileSystem()
    : previous_(platform::InstallFileSystem(nullptr)), inner_(platform::CurrentFileSystem()) {
  platform::InstallFileSystem(this);
}

FaultyFileSystem::~FaultyFileSystem() { platform::InstallFileSystem(previous_); }

void FaultyFileSystem::Arm(std::uint64_t n, FileError cause, FaultMode mode) {
  fail_at_ = n;
  cause_ = cause;
  mode_ = mode;
  count_ = 0;
  fired_ = false;
  fired_at_.clear();
}

bool FaultyFileSystem::ShouldFail(const char* what, const std::string& path, std::uint64_t pos) {
  ++count_;
  if (fail_at_ == 0 || count_ < fail_at_) return false;
  if (count_ > fail_at_ && mode_ == FaultMode::kOnce) return false;
  if (!fired_) fired_at_ = std::string(what) + " " + BaseName(path) + " @" + std::to_string(pos);
  fired_ = true;
  return true;
}

FileError FaultyFileSystem::Open(const std::string& path_gbk, platform::FileAccess access, unsigned share_flags,
                                 platform::FileDisposition disposition, std::unique_ptr<platform::File>* out) {
  if (ShouldFail("open", path_gbk, 0)) return cause_;
  std::unique_ptr<platform::File> inner;
  FileError e = inner_.Open(path_gbk, access, share_flags, disposition, &inner);
  if (e != FileError::kNone) return e;
  *out = std::make_unique<FaultyFile>(*this, std::move(inner), BaseName(path_gbk));
  return FileError::kNone;
}

FileError FaultyFileSystem::FullPath(const std::string& path_gbk, std::string* out) {
  return inner_.FullPath(path_gbk, out);
}

FileError FaultyFileSystem::Delete(const std::string& path_gbk) {
  if (ShouldFail("delete", path_gbk, 0)) return cause_;
  return inner_.Delete(path_gbk);
}

platform::PathKind FaultyFileSystem::Query(const std::string& path_gbk) { return inner_.Query(path_gbk); }

}  // namespace qktest
