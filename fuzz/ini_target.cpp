// The INI reader and writer on any file content. Beyond not crashing: a key
// written reads back, and writing one key leaves another key of the section
// as it was.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/entries.h"
#include "fuzz/scratch.h"
#include "platform/ini.h"

namespace qkfuzz {
namespace {

// Names the writer can always find again: no blanks, brackets, '=' or line ends.
bool PlainName(const std::string& name) {
  if (name.empty() || name.size() > 32) return false;
  for (char c : name)
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')) return false;
  return true;
}

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if ((a[i] | 0x20) != (b[i] | 0x20)) return false;
  return true;
}

[[noreturn]] void Fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "%s: %s\n", what, detail.c_str());
  std::abort();
}

}  // namespace

// Input: "SECTION\nKEY\n" then the file's content; without two such lines
// the section is "user" and the key "clipboard".
int FuzzIni(const std::uint8_t* data, std::size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  std::string section = "user", key = "clipboard", content = input;
  std::size_t first = input.find('\n');
  std::size_t second = first == std::string::npos ? first : input.find('\n', first + 1);
  if (second != std::string::npos && second - first - 1 <= 64 && first <= 64) {
    section = input.substr(0, first);
    key = input.substr(first + 1, second - first - 1);
    content = input.substr(second + 1);
  }
  std::string file = WriteScratchFile("f.ini", content.data(), content.size());
  // Embedded NULs end the C strings the calls take, as they would for a program.
  section = section.c_str();
  key = key.c_str();
  const char* other = "Other_Key";

  platform::ReadIniString(file.c_str(), section.c_str(), key.c_str(), "fallback  ", 8);
  std::string before_other = platform::ReadIniString(file.c_str(), section.c_str(), other, "", 4096);
  if (!platform::WriteIniString(file.c_str(), section.c_str(), key.c_str(), "written value")) return 0;

  if (PlainName(section) && PlainName(key)) {
    std::string back = platform::ReadIniString(file.c_str(), section.c_str(), key.c_str(), "", 4096);
    if (back != "written value") Fail("a written key read back otherwise", back);
    if (!EqualIgnoringCase(key, other)) {
      std::string after_other = platform::ReadIniString(file.c_str(), section.c_str(), other, "", 4096);
      if (after_other != before_other) Fail("writing one key changed another", before_other + " -> " + after_other);
    }
  }
  platform::WriteIniString(file.c_str(), section.c_str(), key.c_str(), nullptr);
  platform::WriteIniString(file.c_str(), section.c_str(), nullptr, nullptr);
  return 0;
}

}  // namespace qkfuzz
