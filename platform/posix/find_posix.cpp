#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include "platform/find.h"
#include "platform/system.h"

namespace platform {
namespace {

class PosixFileSearch final : public FileSearch {
 public:
  PosixFileSearch(DIR* dir, std::string folder, std::string pattern)
      : dir_(dir), folder_(std::move(folder)), pattern_(std::move(pattern)) {}
  ~PosixFileSearch() override { closedir(dir_); }

  bool Next(FoundFile* found) override {
    while (dirent* entry = readdir(dir_)) {
      std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      if (fnmatch(pattern_.c_str(), name.c_str(), FNM_PERIOD) != 0) continue;
      struct stat info {};
      std::string full = folder_ + "/" + name;
      found->name = Utf8ToGbk(name);
      found->is_folder = stat(full.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
      return true;
    }
    return false;
  }

 private:
  DIR* dir_;
  std::string folder_;
  std::string pattern_;
};

}  // namespace

std::unique_ptr<FileSearch> StartFileSearch(const std::string& pattern_gbk) {
  std::string pattern = GbkToUtf8(pattern_gbk);
  for (char& c : pattern)
    if (c == '\\') c = '/';
  std::string folder = ".";
  std::size_t slash = pattern.rfind('/');
  if (slash != std::string::npos) {
    folder = slash == 0 ? "/" : pattern.substr(0, slash);
    pattern = pattern.substr(slash + 1);
  }
  if (pattern.empty()) return nullptr;
  // Windows matches "*.*" against every name, with or without a dot.
  if (pattern == "*.*") pattern = "*";
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return nullptr;
  return std::make_unique<PosixFileSearch>(dir, folder, pattern);
}

}  // namespace platform
