#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/ini_file.h"
#include "platform/system.h"

namespace platform::ini_file {
namespace {

std::string NativePath(const std::string& path_gbk) {
  std::string path = GbkToUtf8(path_gbk);
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

// The mode a rewritten file gets: an existing file's own, owner-only for a
// new one (user.ini holds the notebook's settings).
mode_t ModeFor(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) return info.st_mode & 07777;
  return S_IRUSR | S_IWUSR;
}

}  // namespace

bool Load(const std::string& path_gbk, std::string* content, bool* exists) {
  content->clear();
  std::FILE* f = std::fopen(NativePath(path_gbk).c_str(), "rb");
  *exists = f != nullptr;
  if (f == nullptr) return errno == ENOENT;
  char chunk[4096];
  std::size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) content->append(chunk, n);
  bool ok = std::ferror(f) == 0;
  std::fclose(f);
  return ok;
}

bool Store(const std::string& path_gbk, const std::string& content) {
  const std::string path = NativePath(path_gbk);
  const std::string temporary = path + ".~tmp";
  int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, S_IRUSR | S_IWUSR);
  if (fd < 0) return false;
  // fchmod, not the open's mode: that one is cut by the umask.
  std::FILE* f = ::fchmod(fd, ModeFor(path)) == 0 ? ::fdopen(fd, "wb") : nullptr;
  if (f == nullptr) {
    ::close(fd);
    std::remove(temporary.c_str());
    return false;
  }
  bool ok = std::fwrite(content.data(), 1, content.size(), f) == content.size();
  ok = std::fflush(f) == 0 && ok;
  ok = std::fclose(f) == 0 && ok;
  if (ok && std::rename(temporary.c_str(), path.c_str()) == 0) return true;
  std::remove(temporary.c_str());
  return false;
}

}  // namespace platform::ini_file
