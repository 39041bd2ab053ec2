// Where qkdb's output goes and where its secrets come from. The tool runs
// against a Console: the process's standard streams and terminal
// (StdConsole), or strings in the tests.
#pragma once

#include <string>
#include <string_view>

#include "tools/qkdb/secrets.h"

namespace qkdb {

class Console {
 public:
  virtual ~Console() = default;
  // Standard output and standard error (UTF-8 text, or the bytes of an
  // export written with -o -).
  virtual void Out(std::string_view bytes) = 0;
  virtual void Err(std::string_view bytes) = 0;
  // The next line of standard input without its line end (LF or CR LF);
  // false at the end of the input.
  virtual bool ReadLine(SecretText* line) = 0;
  // True when standard input is a terminal a person types at.
  virtual bool InputIsTerminal() = 0;
  // Shows the prompt on standard error and reads one line from the
  // terminal with echo off; echo comes back on every way out, Ctrl-C
  // included. False when there is no terminal or nothing was read.
  virtual bool AskHidden(std::string_view prompt, SecretText* answer) = 0;
};

// The process's standard input, output and error. Output is written as
// bytes (no line-end translation on Windows).
class StdConsole final : public Console {
 public:
  StdConsole();
  void Out(std::string_view bytes) override;
  void Err(std::string_view bytes) override;
  bool ReadLine(SecretText* line) override;
  bool InputIsTerminal() override;
  bool AskHidden(std::string_view prompt, SecretText* answer) override;
};

}  // namespace qkdb
