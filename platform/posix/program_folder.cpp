#include "platform/posix/program_folder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace platform {
namespace {

bool Exists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0;
}

bool HoldsNotebook(const std::string& folder) {
  return Exists(folder + "/user.ini") || Exists(folder + "/user.vdb");
}

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string Absolute(const std::string& path) {
  if (path.empty() || path[0] == '/') return path;
  std::vector<char> buffer(4096);
  if (getcwd(buffer.data(), buffer.size()) == nullptr) return path;
  return std::string(buffer.data()) + "/" + path;
}

// Makes the folder and any missing parent, each readable by its owner only
// (the notebook's files follow; see file_posix.cpp).
void MakeFolders(const std::string& folder) {
  for (std::size_t at = 1; at <= folder.size(); ++at) {
    if (at < folder.size() && folder[at] != '/') continue;
    std::string part = folder.substr(0, at);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return;
  }
}

std::string HomeFolder(const EnvironmentLookup& environment) {
  std::string home = environment("HOME");
  if (!home.empty()) return WithoutTrailingSlashes(home);
  if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr)
    return WithoutTrailingSlashes(entry->pw_dir);
  return std::string();
}

}  // namespace

std::string ChooseProgramFolder(const std::string& executable_path, const EnvironmentLookup& environment) {
  std::size_t cut = executable_path.find_last_of('/');
  std::string beside = cut == std::string::npos ? std::string(".") : executable_path.substr(0, cut == 0 ? 1 : cut);
  if (Exists(beside + "/user.ini")) return beside;

  if (std::string chosen = environment("QUILLKEEP_HOME"); !chosen.empty()) {
    chosen = WithoutTrailingSlashes(Absolute(chosen));
    MakeFolders(chosen);
    return chosen;
  }

  std::string home = HomeFolder(environment);
  if (home.empty()) return beside;
  if (HoldsNotebook(home + "/Quillkeep")) return home + "/Quillkeep";

  // XDG base directories must be absolute paths; a relative one is ignored.
  std::string data = environment("XDG_DATA_HOME");
  if (data.empty() || data[0] != '/') data = home + "/.local/share";
  std::string folder = WithoutTrailingSlashes(data) + "/quillkeep";
  MakeFolders(folder);
  return folder;
}

std::string LinuxProgramFolder(const std::string& executable_path) {
  return ChooseProgramFolder(executable_path, [](const char* name) {
    const char* value = std::getenv(name);
    return std::string(value != nullptr ? value : "");
  });
}

}  // namespace platform
