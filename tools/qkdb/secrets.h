// Where qkdb takes the access password of an enciphered database from.
// Secrets never come from the command line: only from standard input
// (--key-stdin, --password-stdin) or typed on the terminal without echo.
#pragma once

#include <string>
#include <vector>

namespace qkdb {

enum class SecretSource {
  kNone,           // files are opened without a password
  kKeyStdin,       // lines of standard input are access passwords as the engine takes them
  kPasswordStdin,  // lines are notebook passwords, turned into access passwords as the notebook does
};

// Overwrites the whole buffer of a string (its spare capacity too, where a
// longer secret may have stood) and empties it.
void WipeString(std::string* text);

// A string that is overwritten before its memory is released.
class SecretText {
 public:
  SecretText() = default;
  // The argument's own buffer is wiped too: a short string's characters
  // stay in it after a move.
  explicit SecretText(std::string text) : text_(std::move(text)) { WipeString(&text); }
  ~SecretText() { Wipe(); }
  SecretText(SecretText&& other) noexcept : text_(std::move(other.text_)) { other.Wipe(); }
  SecretText& operator=(SecretText&& other) noexcept {
    Wipe();
    text_ = std::move(other.text_);
    other.Wipe();
    return *this;
  }
  const std::string& text() const { return text_; }
  std::string* slot() { return &text_; }
  void Wipe();

 private:
  std::string text_;
};

// Takes --key-stdin and --password-stdin out of args (wherever they stand).
// False, with *problem set, when both are given.
bool TakeSecretOptions(std::vector<std::string>* args, std::string* problem);
SecretSource CurrentSecretSource();

// The next line of standard input without its line end; false at the end.
bool ReadInputLine(SecretText* line);
// Asks on the terminal with echo off; false when there is no terminal.
bool AskHidden(const char* prompt_utf8, SecretText* answer);

// The engine's access password (GBK) for a line typed as UTF-8: as it
// stands for kKeyStdin and kNone, derived from the notebook password for
// kPasswordStdin. The empty line stays empty (no password).
SecretText AccessPasswordFromLine(const std::string& line_utf8, SecretSource source);

// The access password for opening files: read from the first line of
// standard input the first time it is asked for; empty without an option.
const std::string& AccessPasswordForOpen();

// True when a refused open deserves the hint that no password was given.
bool ShouldHintAboutPassword(int code);

}  // namespace qkdb
