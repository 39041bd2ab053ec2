// The engine's modal password prompt (dialog 554, "密码输入") and the
// InputPasswordDialog command over it.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/value.h"

namespace db {

// A password typed into the dialog. Its bytes are overwritten with blanks
// before the memory is released, so the secret does not linger on the heap.
class TypedPassword {
 public:
  TypedPassword() = default;
  ~TypedPassword() { Blank(); }
  TypedPassword(const TypedPassword&) = delete;
  TypedPassword& operator=(const TypedPassword&) = delete;

  std::string* slot() { return &text_; }
  const std::string& text() const { return text_; }
  void Blank();

 private:
  std::string text_;
};

// Runs the dialog. True on OK with the typed text in *typed; false on Cancel.
bool RunPasswordDialog(int failed_attempts, TypedPassword* typed);

// InputPasswordDialog(password: Text variable by reference; [failedAttempts
// Int]) -> Bool. OK replaces the variable's text with a copy of the typed
// one; Cancel leaves it unchanged.
void InputPasswordDialog(rt::Value* result, std::int32_t argc, rt::Value* argv);

}  // namespace db
