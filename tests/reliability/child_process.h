// Starting the reliability worker as a child process, killing it without
// warning and waiting for it (POSIX).
#pragma once

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace reltest {

// The worker executable (its path comes from the build).
inline std::string WorkerPath() { return QK_RELIABILITY_WORKER; }

// A count from the environment (QK_KILL_TRIALS and the like), else `fallback`.
inline int CountFromEnvironment(const char* name, int fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && std::atoi(value) > 0 ? std::atoi(value) : fallback;
}

class Child {
 public:
  explicit Child(const std::vector<std::string>& args) {
    std::vector<std::string> all = {WorkerPath()};
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

}  // namespace reltest
