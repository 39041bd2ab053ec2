// The secrets qkdb handles: notebook passwords and access keys read from
// standard input or the terminal, and the key the notebook derives from a
// password. Every copy lives in a SecretText, which overwrites its buffer
// before the memory goes back; this is the one place that knows how.
// Secrets never come from the command line.
#pragma once

#include <string>
#include <string_view>

namespace qkdb {

// Where the secret for an enciphered database comes from.
enum class SecretSource {
  kPrompt,         // no option: the notebook password, asked on the terminal when a file needs one
  kPasswordStdin,  // --password-stdin: notebook passwords, one a line (asked with echo off at a terminal)
  kKeyStdin,       // --key-stdin: the engine's access password itself, one a line
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
  bool empty() const { return text_.empty(); }
  // Appends one character, moving to a larger buffer by hand so that no
  // copy stays behind in a released one.
  void Append(char c);
  // Drops a trailing CR (a line typed on Windows or sent with CR LF).
  void DropTrailingReturn() {
    if (!text_.empty() && text_.back() == '\r') text_.pop_back();
  }
  void Wipe();

 private:
  std::string text_;
};

// The notebook's database key for a password (GBK), as the notebook derives
// it: 32 lowercase hexadecimal digits, also for the empty password.
SecretText DeriveNotebookKey(const std::string& password_gbk);

// True for 32 lowercase hexadecimal digits, the shape of a notebook key.
bool LooksLikeNotebookKey(std::string_view text);

}  // namespace qkdb
