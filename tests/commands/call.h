// Calling a command as the application does and owning what it returns.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "runtime/helpers.h"
#include "runtime/memory.h"
#include "runtime/services.h"
#include "runtime/value.h"

namespace commands::testing {

class Result {
 public:
  explicit Result(rt::Value v) : value_(v) {}
  ~Result() { rt::FreeValue(value_); }
  Result(const Result&) = delete;
  Result& operator=(const Result&) = delete;

  const rt::Value& operator*() const { return value_; }
  const rt::Value* operator->() const { return &value_; }
  bool null() const { return value_.pointer() == nullptr; }
  // The text result as a string (empty for null).
  std::string text() const { return value_.text() != nullptr ? std::string(value_.text()) : std::string(); }
  // The data of a Bytes result.
  std::string bytes() const {
    const void* block = value_.pointer();
    if (block == nullptr) return std::string();
    return std::string(reinterpret_cast<const char*>(rt::BytesData(block)),
                       static_cast<std::size_t>(rt::BytesLength(block)));
  }

 private:
  rt::Value value_;
};

inline rt::Value Call(rt::Command command, std::vector<rt::Value> args) {
  return rt::CallCommand(command, static_cast<std::int32_t>(args.size()), args.data());
}

inline rt::Value Txt(const char* text) { return rt::Value::Text(text); }
inline rt::Value Omitted() { return rt::Value{}; }

}  // namespace commands::testing
