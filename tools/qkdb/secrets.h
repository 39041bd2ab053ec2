// The secrets qkdb handles: notebook passwords and access keys read from
// standard input or the terminal, and the key the notebook derives from a
// password. Every copy lives in a SecretText, which overwrites its buffer
// before the memory goes back (platform::Secret underneath).
// Secrets never come from the command line.
#pragma once

#include <string>
#include <string_view>

#include "platform/secret.h"

namespace qkdb {

// Where the secret for an enciphered database comes from.
enum class SecretSource {
  kPrompt,         // no option: the notebook password, asked on the terminal when a file needs one
  kPasswordStdin,  // --password-stdin: notebook passwords, one a line (asked with echo off at a terminal)
  kKeyStdin,       // --key-stdin: the engine's access password itself, one a line
};

// Overwrites the whole buffer of a string handed over by an interface
// (its spare capacity too) and empties it.
using platform::WipeString;

// qkdb's secrets: the program's one secret type (platform::Secret, wiped on
// destruction, reassignment, move and growth) with the few conveniences the
// tool reads by.
class SecretText {
 public:
  SecretText() = default;
  // The argument's own buffer is wiped too.
  explicit SecretText(std::string text) : secret_(text) { WipeString(&text); }
  std::string_view text() const { return secret_.view(); }
  bool empty() const { return secret_.empty(); }
  void Append(char c) { secret_.Append(c); }
  // Drops a trailing CR (a line typed on Windows or sent with CR LF).
  void DropTrailingReturn() {
    if (!secret_.empty() && secret_.back() == '\r') secret_.PopBack();
  }
  void Wipe() { secret_.Clear(); }

 private:
  platform::Secret secret_;
};

// The notebook's database key for a password (GBK), as the notebook derives
// it: 32 lowercase hexadecimal digits, also for the empty password.
SecretText DeriveNotebookKey(std::string_view password_gbk);

// True for 32 lowercase hexadecimal digits, the shape of a notebook key.
bool LooksLikeNotebookKey(std::string_view text);

}  // namespace qkdb
