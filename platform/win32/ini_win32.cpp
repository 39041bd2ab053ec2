#include <windows.h>

#include <vector>

#include "platform/ini.h"

namespace platform {

// The ANSI calls take the GBK bytes as they are: on the system this program
// is made for the ANSI code page is 936, and the file keeps its bytes.
std::string ReadIniString(const char* file, const char* section, const char* key, const char* default_value,
                              std::size_t buffer_size) {
  if (buffer_size == 0) return std::string();
  std::vector<char> buffer(buffer_size, '\0');
  DWORD n = ::GetPrivateProfileStringA(section, key, default_value, buffer.data(), static_cast<DWORD>(buffer_size),
                                       file);
  return std::string(buffer.data(), n);
}

bool WriteIniString(const char* file, const char* section, const char* key, const char* value) {
  return ::WritePrivateProfileStringA(section, key, value, file) != FALSE;
}

}  // namespace platform
