#include "tools/qkdb/secrets.h"

#include <algorithm>
#include <cstdio>
#include <iostream>

#include "commands/key_derivation.h"
#include "db/errors.h"
#include "platform/system.h"
#include "runtime/memory.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <termios.h>
#include <unistd.h>
#endif

namespace qkdb {
namespace {

SecretSource g_source = SecretSource::kNone;

}  // namespace

void WipeString(std::string* text) {
  text->resize(text->capacity());
  rt::WipeMemory(text->data(), text->size());
  text->clear();
}

void SecretText::Wipe() { WipeString(&text_); }

bool TakeSecretOptions(std::vector<std::string>* args, std::string* problem) {
  bool key = false, password = false;
  std::vector<std::string> rest;
  for (const std::string& arg : *args) {
    if (arg == "--key-stdin")
      key = true;
    else if (arg == "--password-stdin")
      password = true;
    else
      rest.push_back(arg);
  }
  if (key && password) {
    *problem = "give --key-stdin or --password-stdin, not both";
    return false;
  }
  g_source = key ? SecretSource::kKeyStdin : password ? SecretSource::kPasswordStdin : SecretSource::kNone;
  args->swap(rest);
  return true;
}

SecretSource CurrentSecretSource() { return g_source; }

bool ReadInputLine(SecretText* line) {
  line->Wipe();
  // Unbuffered, a character at a time, into a buffer that grows in place:
  // no copy of the secret stays behind in a stream buffer or a released
  // string.
  static const bool unbuffered = std::setvbuf(stdin, nullptr, _IONBF, 0) == 0;
  (void)unbuffered;
  std::string* text = line->slot();
  text->reserve(1024);
  int c = std::getc(stdin);
  if (c == EOF) return false;
  for (; c != EOF && c != '\n'; c = std::getc(stdin)) {
    if (text->size() == text->capacity()) {  // a longer line: move it by hand and wipe the old buffer
      std::string bigger;
      bigger.reserve(text->capacity() * 2);
      bigger.append(*text);
      WipeString(text);
      text->swap(bigger);
    }
    text->push_back(static_cast<char>(c));
  }
  if (!text->empty() && text->back() == '\r') text->pop_back();
  return true;
}

bool AskHidden(const char* prompt_utf8, SecretText* answer) {
#ifdef _WIN32
  HANDLE in = ::GetStdHandle(STD_INPUT_HANDLE);
  DWORD mode = 0;
  if (in == INVALID_HANDLE_VALUE || !::GetConsoleMode(in, &mode)) return false;
  std::fputs(prompt_utf8, stderr);
  std::fflush(stderr);
  ::SetConsoleMode(in, (mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT)) | ENABLE_LINE_INPUT);
  wchar_t buffer[512];
  DWORD got = 0;
  BOOL ok = ::ReadConsoleW(in, buffer, 511, &got, nullptr);
  ::SetConsoleMode(in, mode);
  std::fputs("\n", stderr);
  if (!ok) return false;
  while (got > 0 && (buffer[got - 1] == L'\n' || buffer[got - 1] == L'\r')) --got;
  int n = ::WideCharToMultiByte(CP_UTF8, 0, buffer, static_cast<int>(got), nullptr, 0, nullptr, nullptr);
  answer->slot()->assign(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) ::WideCharToMultiByte(CP_UTF8, 0, buffer, static_cast<int>(got), answer->slot()->data(), n, nullptr, nullptr);
  ::SecureZeroMemory(buffer, sizeof buffer);
  return true;
#else
  if (!::isatty(STDIN_FILENO)) return false;
  termios saved{};
  if (::tcgetattr(STDIN_FILENO, &saved) != 0) return false;
  termios quiet = saved;
  quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  std::fputs(prompt_utf8, stderr);
  std::fflush(stderr);
  ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
  bool ok = ReadInputLine(answer);
  ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
  std::fputs("\n", stderr);
  return ok;
#endif
}

SecretText AccessPasswordFromLine(const std::string& line_utf8, SecretSource source) {
  SecretText gbk(platform::Utf8ToGbk(line_utf8));
  // The notebook derives a key from every password it is given, the empty
  // one included, so an empty notebook password still has a key.
  if (source != SecretSource::kPasswordStdin) return gbk;
  char* key = commands::DeriveDatabaseKey(gbk.text().c_str());
  SecretText derived(key != nullptr ? std::string(key) : std::string());
  if (key != nullptr) rt::WipeMemory(key, derived.text().size());
  rt::FreeMemory(key);
  return derived;
}

const std::string& AccessPasswordForOpen() {
  static SecretText password;
  static bool read = false;
  if (!read && g_source != SecretSource::kNone) {
    read = true;
    SecretText line;
    ReadInputLine(&line);
    password = AccessPasswordFromLine(line.text(), g_source);
  }
  return password.text();
}

bool ShouldHintAboutPassword(int code) { return code == db::err::kBadPassword && g_source == SecretSource::kNone; }

}  // namespace qkdb
