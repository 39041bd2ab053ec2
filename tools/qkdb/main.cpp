// qkdb: inspect, export, check and edit record database files from the
// command line. Terminal text is UTF-8; texts inside the files are GBK. The
// tool itself is the qk_qkdb library (cli.h); this file only gathers the
// arguments.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/qkdb/cli.h"
#include "tools/qkdb/console.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>

#include "platform/win32/file_security.h"
#endif

int main(int argc, char** argv) {
  std::vector<std::string> args;
#ifdef _WIN32
  // Run from a folder such as Downloads, it must not load a DLL lying there.
  platform::win32::LoadLibrariesFromSystemFolderOnly();
  // The wide command line, as UTF-8 like on other systems.
  (void)argv;
  int count = 0;
  LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  for (int i = 1; wide != nullptr && i < count; ++i) {
    int n = ::WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
    std::string arg(n > 0 ? static_cast<std::size_t>(n - 1) : 0, '\0');
    if (n > 1) ::WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, arg.data(), n, nullptr, nullptr);
    args.push_back(arg);
  }
  if (wide != nullptr) ::LocalFree(wide);
#else
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
#endif
  (void)argc;
  qkdb::StdConsole console;
  int code = qkdb::Run(args, console);
  std::fflush(stdout);
  return code;
}
