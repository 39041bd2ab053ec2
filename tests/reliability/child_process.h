// Starting the reliability worker as a child process, killing it without
// warning and waiting for it: posix_spawn and SIGKILL on POSIX,
// CreateProcessW and TerminateProcess on Windows.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdlib>
#include <string>
#include <vector>

#ifdef _WIN32
#include "platform/system.h"
#else
extern char** environ;
#endif

namespace reltest {

// An executable the build puts beside the test executable. On Windows the
// build names only the file, since the build's own path is a host path the
// Windows side may not be able to start.
inline std::string BesideThisProgram(const std::string& file) {
#ifdef _WIN32
  std::string self = platform::ExecutablePath();
  std::size_t slash = self.find_last_of("\\/");
  return (slash == std::string::npos ? std::string() : self.substr(0, slash + 1)) + file;
#else
  return file;
#endif
}

#ifdef QK_RELIABILITY_WORKER
// The worker executable.
inline std::string WorkerPath() { return BesideThisProgram(QK_RELIABILITY_WORKER); }
#endif

// A count from the environment (QK_KILL_TRIALS and the like), else `fallback`.
inline int CountFromEnvironment(const char* name, int fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && std::atoi(value) > 0 ? std::atoi(value) : fallback;
}

#ifdef _WIN32

// One argument as the C runtime's command-line parser reads it back: quoted
// when empty or holding blanks or quotes; backslashes doubled only where
// they come before a quote (inside, or the closing one).
inline std::wstring QuotedArgument(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  for (std::size_t i = 0;; ++i) {
    std::size_t backslashes = 0;
    while (i < arg.size() && arg[i] == L'\\') {
      ++backslashes;
      ++i;
    }
    if (i == arg.size()) {
      out.append(backslashes * 2, L'\\');
      break;
    }
    if (arg[i] == L'"') {
      out.append(backslashes * 2 + 1, L'\\');
    } else {
      out.append(backslashes, L'\\');
    }
    out.push_back(arg[i]);
  }
  out.push_back(L'"');
  return out;
}

// The tests' arguments are paths under the temporary folder and plain words
// (ASCII); the worker reads them through the ANSI code page.
inline std::wstring WidenArgument(const std::string& text) {
  if (text.empty()) return {};
  int n = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(n > 0 ? static_cast<std::size_t>(n) : 0, L'\0');
  if (n > 0) ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

class Child {
 public:
#ifdef QK_RELIABILITY_WORKER
  explicit Child(const std::vector<std::string>& args) : Child(WorkerPath(), args) {}
#endif
  Child(const std::string& program_path, const std::vector<std::string>& args) {
    const std::wstring program = WidenArgument(program_path);
    std::wstring command = QuotedArgument(program);
    for (const std::string& a : args) command += L" " + QuotedArgument(WidenArgument(a));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    // No handles inherited: the child opens the database on its own.
    if (::CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
      ::CloseHandle(info.hThread);
      process_ = info.hProcess;
    }
  }
  ~Child() {
    if (process_ != nullptr) Kill();
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  bool started() const { return process_ != nullptr; }
  // TerminateProcess (no cleanup of any kind in the child), then waits for
  // it to be gone, its files closed and locks released.
  void Kill() {
    if (process_ == nullptr) return;
    ::TerminateProcess(process_, kKilledExitCode);
    Wait();
  }
  // The exit code, or -1 when it was killed.
  int Wait() {
    if (process_ == nullptr) return status_;
    DWORD code = 0;
    if (::WaitForSingleObject(process_, INFINITE) == WAIT_OBJECT_0 && ::GetExitCodeProcess(process_, &code))
      status_ = code == kKilledExitCode ? -1 : static_cast<int>(code);
    ::CloseHandle(process_);
    process_ = nullptr;
    return status_;
  }

 private:
  static constexpr UINT kKilledExitCode = 137;  // the worker never exits with it itself
  HANDLE process_ = nullptr;
  int status_ = -1;
};

#else

class Child {
 public:
#ifdef QK_RELIABILITY_WORKER
  explicit Child(const std::vector<std::string>& args) : Child(WorkerPath(), args) {}
#endif
  Child(const std::string& program, const std::vector<std::string>& args) {
    std::vector<std::string> all = {program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) pid_ = -1;
  }
  ~Child() {
    if (pid_ > 0) Kill();
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  bool started() const { return pid_ > 0; }
  // SIGKILL, then reaps it.
  void Kill() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    Wait();
  }
  // The exit code, or -1 when it was killed by a signal.
  int Wait() {
    if (pid_ <= 0) return status_;
    int raw = 0;
    waitpid(pid_, &raw, 0);
    pid_ = -1;
    status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return status_;
  }

 private:
  pid_t pid_ = -1;
  int status_ = -1;
};

#endif

}  // namespace reltest
