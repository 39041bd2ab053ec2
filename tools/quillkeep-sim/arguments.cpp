#include "tools/quillkeep-sim/arguments.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#endif

namespace sim_tool {

#ifdef _WIN32
std::vector<std::string> Utf8Arguments(int, char**) {
  std::vector<std::string> words;
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return words;
  for (int i = 1; i < count; ++i) {
    int bytes = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
    std::string word(bytes > 0 ? static_cast<std::size_t>(bytes) : 1, '\0');
    if (bytes > 0) WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, word.data(), bytes, nullptr, nullptr);
    word.resize(word.size() - 1);  // the terminator
    words.push_back(std::move(word));
  }
  LocalFree(wide);
  return words;
}

void UseUtf8Console() { SetConsoleOutputCP(CP_UTF8); }
#else
std::vector<std::string> Utf8Arguments(int argc, char** argv) { return std::vector<std::string>(argv + 1, argv + argc); }

void UseUtf8Console() {}
#endif

}  // namespace sim_tool
