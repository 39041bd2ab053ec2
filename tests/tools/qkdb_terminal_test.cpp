// The password prompt on a real terminal: qkdb runs on a pseudo-terminal,
// the test types as a person would and reads what the screen shows. Echo is
// off while the password is typed and on again on every way out: success,
// a wrong password, Ctrl-C and a kill. (POSIX only: Windows consoles are
// not pseudo-terminals.)
#include <gtest/gtest.h>

#ifndef _WIN32

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include "tests/tools/qkdb_test_support.h"

namespace qkdbtest {
namespace {

class TerminalRun {
 public:
  explicit TerminalRun(const std::vector<std::string>& args) {
    if (openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      setsid();
      ioctl(slave_, TIOCSCTTY, 0);
      dup2(slave_, 0);
      dup2(slave_, 1);
      dup2(slave_, 2);
      close(master_);
      close(slave_);
      std::vector<char*> argv;
      std::string program = QKDB_EXECUTABLE;
      argv.push_back(program.data());
      std::vector<std::string> copies = args;
      for (std::string& a : copies) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
  }
  ~TerminalRun() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (master_ >= 0) close(master_);
    if (slave_ >= 0) close(slave_);
  }
  TerminalRun(const TerminalRun&) = delete;
  TerminalRun& operator=(const TerminalRun&) = delete;

  bool started() const { return pid_ > 0; }
  // Reads the screen until it shows `text` (true) or ten seconds pass.
  bool WaitFor(const std::string& text) {
    for (int waited = 0; screen_.find(text) == std::string::npos && waited < 10000; waited += 50) Drain(50);
    return screen_.find(text) != std::string::npos;
  }
  void Signal(int signal_number) { kill(pid_, signal_number); }
  void Type(const std::string& keys) { ASSERT_EQ(write(master_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size())); }
  // Waits for the end; the raw wait status.
  int Finish() {
    int status = 0;
    for (int waited = 0; waited < 10000; waited += 50) {
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        Drain(100);
        return status;
      }
      Drain(50);
    }
    return -1;
  }
  bool EchoOn() const {
    termios now{};
    return tcgetattr(slave_, &now) == 0 && (now.c_lflag & ECHO) != 0;
  }
  const std::string& screen() const { return screen_; }

 private:
  void Drain(int ms) {
    pollfd p{master_, POLLIN, 0};
    while (poll(&p, 1, ms) > 0 && (p.revents & POLLIN) != 0) {
      char buffer[4096];
      ssize_t n = read(master_, buffer, sizeof buffer);
      if (n <= 0) break;
      screen_.append(buffer, static_cast<std::size_t>(n));
      ms = 0;
    }
  }

  int master_ = -1, slave_ = -1;
  pid_t pid_ = -1;
  std::string screen_;
};

class Terminal : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.created());
    ASSERT_EQ(Qkdb({"add", path_, "11", "site", "url", "terminal-user", "pw", "", "2024-03-01"}).code, 0);
    ASSERT_EQ(Qkdb({"--password-stdin", "passwd", path_}, {"", "typed-secret"}).code, 0);
  }
  NotebookFolder folder_;
  std::string path_ = folder_.notebook();
};

TEST_F(Terminal, PasswordStdinPromptsTypesWithoutEchoAndRestoresIt) {
  TerminalRun run({"--password-stdin", "dump", path_});
  ASSERT_TRUE(run.started());
  ASSERT_TRUE(run.WaitFor("Notebook password for " + path_ + ": ")) << run.screen();
  EXPECT_FALSE(run.EchoOn());
  run.Type("typed-secret\n");
  int status = run.Finish();
  ASSERT_TRUE(WIFEXITED(status)) << run.screen();
  EXPECT_EQ(WEXITSTATUS(status), 0) << run.screen();
  EXPECT_NE(run.screen().find("\"UserName\":\"terminal-user\""), std::string::npos) << run.screen();
  EXPECT_EQ(run.screen().find("typed-secret"), std::string::npos) << "the password was echoed";
  EXPECT_TRUE(run.EchoOn());
}

TEST_F(Terminal, AWrongPasswordEndsWithEchoOn) {
  TerminalRun run({"dump", path_});  // no option: asked at the terminal
  ASSERT_TRUE(run.WaitFor("Notebook password for ")) << run.screen();
  EXPECT_FALSE(run.EchoOn());
  run.Type("not-it\n");
  int status = run.Finish();
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_NE(run.screen().find("The notebook password is wrong."), std::string::npos) << run.screen();
  EXPECT_TRUE(run.EchoOn());
}

TEST_F(Terminal, CtrlCAndAKillAtThePromptRestoreEcho) {
  {
    TerminalRun run({"--password-stdin", "passwd", path_});
    ASSERT_TRUE(run.WaitFor("Old notebook password: ")) << run.screen();
    EXPECT_FALSE(run.EchoOn());
    run.Type("\x03");  // Ctrl-C
    int status = run.Finish();
    ASSERT_TRUE(WIFSIGNALED(status)) << run.screen();
    EXPECT_EQ(WTERMSIG(status), SIGINT);
    EXPECT_TRUE(run.EchoOn());
  }
  {
    TerminalRun run({"--password-stdin", "passwd", path_});
    ASSERT_TRUE(run.WaitFor("Old notebook password: ")) << run.screen();
    run.Type("typed-secret\n");
    ASSERT_TRUE(run.WaitFor("New notebook password: ")) << run.screen();
    EXPECT_FALSE(run.EchoOn());
    // A kill at the second prompt: the handlers stay in place between prompts.
    run.Signal(SIGTERM);
    int status = run.Finish();
    ASSERT_TRUE(WIFSIGNALED(status)) << run.screen();
    EXPECT_EQ(WTERMSIG(status), SIGTERM);
    EXPECT_TRUE(run.EchoOn());
  }
  // Still the old password: nothing was changed by the interrupted runs.
  EXPECT_EQ(Qkdb({"--password-stdin", "dump", path_}, {"typed-secret"}).code, 0);
}

}  // namespace
}  // namespace qkdbtest

#endif
