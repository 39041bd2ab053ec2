#include "tools/qkdb/console.h"

#include <cstdio>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <csignal>
#include <termios.h>
#include <unistd.h>
#endif

namespace qkdb {
namespace {

// Standard input unbuffered, a character at a time: no copy of a secret
// stays behind in a stream buffer.
int NextInputChar() {
  static const bool unbuffered = std::setvbuf(stdin, nullptr, _IONBF, 0) == 0;
  (void)unbuffered;
  return std::getc(stdin);
}

bool ReadStdinLine(SecretText* line) {
  line->Wipe();
  int c = NextInputChar();
  if (c == EOF) return false;
  for (; c != EOF && c != '\n'; c = NextInputChar()) line->Append(static_cast<char>(c));
  line->DropTrailingReturn();
  return true;
}

#ifdef _WIN32

// The console's input mode before echo was turned off, put back by the
// Ctrl-C handler as well as by the normal way out.
HANDLE g_console_in = INVALID_HANDLE_VALUE;
DWORD g_saved_mode = 0;
volatile LONG g_echo_off = 0;

BOOL WINAPI RestoreOnBreak(DWORD) {
  if (InterlockedExchange(&g_echo_off, 0) != 0) ::SetConsoleMode(g_console_in, g_saved_mode);
  return FALSE;  // the default handler ends the process
}

#else

// The terminal's settings before echo was turned off. A signal that ends
// the process while the prompt waits (Ctrl-C, Ctrl-\, a hang-up, kill)
// puts them back first: tcsetattr is safe in a signal handler.
termios g_saved{};
volatile std::sig_atomic_t g_echo_off = 0;
constexpr int kEndingSignals[] = {SIGINT, SIGQUIT, SIGTERM, SIGHUP};
struct sigaction g_previous[sizeof kEndingSignals / sizeof kEndingSignals[0]];

void RestoreAndDie(int signal_number) {
  if (g_echo_off != 0) {
    ::tcsetattr(STDIN_FILENO, TCSANOW, &g_saved);
    g_echo_off = 0;
    const char newline = '\n';
    (void)!::write(STDERR_FILENO, &newline, 1);
  }
  std::signal(signal_number, SIG_DFL);
  std::raise(signal_number);
}

// Echo off for its lifetime, with the signal handlers that undo it.
class EchoOff {
 public:
  EchoOff() {
    if (::tcgetattr(STDIN_FILENO, &g_saved) != 0) return;
    struct sigaction action {};
    action.sa_handler = RestoreAndDie;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < sizeof kEndingSignals / sizeof kEndingSignals[0]; ++i)
      sigaction(kEndingSignals[i], &action, &g_previous[i]);
    installed_ = true;
    termios quiet = g_saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    quiet.c_lflag |= ECHONL;
    g_echo_off = 1;
    active_ = ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0;
    if (!active_) Restore();
  }
  ~EchoOff() { Restore(); }
  EchoOff(const EchoOff&) = delete;
  EchoOff& operator=(const EchoOff&) = delete;
  bool active() const { return active_; }

 private:
  void Restore() {
    if (!installed_) return;
    installed_ = false;
    if (g_echo_off != 0) ::tcsetattr(STDIN_FILENO, TCSANOW, &g_saved);
    g_echo_off = 0;
    for (std::size_t i = 0; i < sizeof kEndingSignals / sizeof kEndingSignals[0]; ++i)
      sigaction(kEndingSignals[i], &g_previous[i], nullptr);
  }
  bool installed_ = false;
  bool active_ = false;
};

#endif

}  // namespace

StdConsole::StdConsole() {
#ifdef _WIN32
  // Bytes as they are: an export written to standard output keeps its CR LF.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
#endif
}

void StdConsole::Out(std::string_view bytes) { std::fwrite(bytes.data(), 1, bytes.size(), stdout); }

void StdConsole::Err(std::string_view bytes) {
  std::fflush(stdout);
  std::fwrite(bytes.data(), 1, bytes.size(), stderr);
  std::fflush(stderr);
}

bool StdConsole::ReadLine(SecretText* line) { return ReadStdinLine(line); }

bool StdConsole::InputIsTerminal() {
#ifdef _WIN32
  DWORD mode = 0;
  return ::GetConsoleMode(::GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
#else
  return ::isatty(STDIN_FILENO) != 0;
#endif
}

bool StdConsole::AskHidden(std::string_view prompt, SecretText* answer) {
  answer->Wipe();
  if (!InputIsTerminal()) return false;
  // Echo goes off before the prompt shows, so nothing typed at the prompt
  // is ever echoed.
#ifdef _WIN32
  g_console_in = ::GetStdHandle(STD_INPUT_HANDLE);
  if (!::GetConsoleMode(g_console_in, &g_saved_mode)) return false;
  ::SetConsoleCtrlHandler(RestoreOnBreak, TRUE);
  InterlockedExchange(&g_echo_off, 1);
  ::SetConsoleMode(g_console_in, (g_saved_mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT)) | ENABLE_LINE_INPUT |
                                     ENABLE_PROCESSED_INPUT);
  Err(prompt);
  wchar_t buffer[512];
  DWORD got = 0;
  BOOL ok = ::ReadConsoleW(g_console_in, buffer, 511, &got, nullptr);
  if (InterlockedExchange(&g_echo_off, 0) != 0) ::SetConsoleMode(g_console_in, g_saved_mode);
  ::SetConsoleCtrlHandler(RestoreOnBreak, FALSE);
  Err("\n");
  if (!ok) return false;
  while (got > 0 && (buffer[got - 1] == L'\n' || buffer[got - 1] == L'\r')) --got;
  int n = ::WideCharToMultiByte(CP_UTF8, 0, buffer, static_cast<int>(got), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) ::WideCharToMultiByte(CP_UTF8, 0, buffer, static_cast<int>(got), utf8.data(), n, nullptr, nullptr);
  platform::WipeBytes(buffer, sizeof buffer);
  *answer = SecretText(std::move(utf8));
  WipeString(&utf8);  // a short text stays in the moved-from object
  return true;
#else
  EchoOff quiet;
  if (!quiet.active()) return false;
  Err(prompt);
  return ReadStdinLine(answer);
#endif
}

}  // namespace qkdb
