#include "fuzz/scratch.h"

#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/host.h"
#include "platform/sim/sim_host.h"

namespace qkfuzz {
namespace {

struct Folder {
  std::string path;
  Folder() {
    const char* base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string pattern = std::string(base) + "/qkfuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
      std::perror("qkfuzz: mkdtemp");
      std::abort();
    }
    path = pattern + "/";
  }
  ~Folder() {
    if (DIR* dir = ::opendir(path.c_str())) {
      while (dirent* entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") ::unlink((path + name).c_str());
      }
      ::closedir(dir);
    }
    ::rmdir(path.c_str());
  }
};

}  // namespace

const std::string& ScratchFolder() {
  static Folder folder;
  return folder.path;
}

std::string WriteScratchFile(const std::string& name, const void* data, std::size_t size) {
  std::string path = ScratchFolder() + name;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr || (size > 0 && std::fwrite(data, 1, size, f) != size) || std::fclose(f) != 0) {
    std::perror("qkfuzz: writing a scratch file");
    std::abort();
  }
  return path;
}

void RemoveScratchFile(const std::string& name) { ::unlink((ScratchFolder() + name).c_str()); }

void EnsureHost() {
  static platform::sim::SimHost host;
  static bool installed = false;
  if (!installed) {
    platform::InstallHost(&host);
    installed = true;
  }
  host.ClearBoxes();
}

}  // namespace qkfuzz
