// Typed helpers over the runtime services, so the handlers read as what they
// do. Everything here reaches the runtime only through rt::Services():
// commands through CallCoreCommand / CallLibraryCommand, units through
// ReadProperty / WriteProperty, memory through FreeMemory.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <utility>

#include "platform/secret.h"
#include "runtime/value.h"

namespace app {

// Library indexes for CallLibraryCommand.
namespace library {
inline constexpr std::int32_t kListView = 1;
inline constexpr std::int32_t kDataOperations = 2;
inline constexpr std::int32_t kSpecialFunctions = 3;
}  // namespace library

// Typed passwords and keys: wiped when they go, on every way out.
using Secret = platform::Secret;

// A Text the application owns; freed through the FreeMemory service, which
// wipes every block it frees.
class OwnedText {
 public:
  OwnedText() = default;
  explicit OwnedText(char* text) : text_(text) {}
  ~OwnedText() { Reset(); }
  OwnedText(OwnedText&& other) noexcept : text_(std::exchange(other.text_, nullptr)) {}
  OwnedText& operator=(OwnedText&& other) noexcept {
    if (this != &other) {
      Reset();
      text_ = std::exchange(other.text_, nullptr);
    }
    return *this;
  }
  OwnedText(const OwnedText&) = delete;
  OwnedText& operator=(const OwnedText&) = delete;

  // Never null: the empty text stands for a null block.
  const char* c_str() const { return text_ != nullptr ? text_ : ""; }
  bool empty() const { return text_ == nullptr || text_[0] == '\0'; }
  // The variable's address, for commands that write a Text variable.
  char** slot() { return &text_; }
  void Reset();

 private:
  char* text_ = nullptr;
};

// A Bytes block the application owns; freed through FreeMemory.
class OwnedBytes {
 public:
  OwnedBytes() = default;
  explicit OwnedBytes(void* block) : block_(block) {}
  ~OwnedBytes() { Reset(); }
  OwnedBytes(OwnedBytes&& other) noexcept : block_(std::exchange(other.block_, nullptr)) {}
  OwnedBytes(const OwnedBytes&) = delete;
  OwnedBytes& operator=(const OwnedBytes&) = delete;
  OwnedBytes& operator=(OwnedBytes&&) = delete;

  // The block, or the constant empty block for null (never null).
  const void* block() const;
  void Reset();

 private:
  void* block_ = nullptr;
};

// Argument cells.
namespace arg {
inline rt::Value Text(const char* text) { return rt::Value::Text(text != nullptr ? text : ""); }
inline rt::Value Text(const OwnedText& text) { return Text(text.c_str()); }
inline rt::Value Int(std::int32_t v) { return rt::Value::Int(v); }
inline rt::Value Bool(bool v) { return rt::Value::Bool(v); }
inline rt::Value Double(double v) { return rt::Value::Double(v); }
inline rt::Value Bytes(const OwnedBytes& bytes) { return rt::Value::Pointer(bytes.block(), rt::type::kBytes); }
inline rt::Value Omitted() { return rt::Value{}; }
// A Text variable passed by reference: its address and type Text.
inline rt::Value TextVariable(OwnedText& variable) { return rt::Value::Pointer(variable.slot(), rt::type::kText); }
// Window and unit references carry (window id, unit id).
inline rt::Value Unit(rt::TypeCode type, std::uint32_t window, std::uint32_t unit) {
  return rt::Value{window, unit, type};
}
}  // namespace arg

// Calls a command of the core library or of another library.
rt::Value CallCore(rt::Command command, std::initializer_list<rt::Value> args);
rt::Value CallLibrary(std::int32_t library, rt::Command command, std::initializer_list<rt::Value> args);

// Results. A result of another type than the one needed is the runtime error
// 5 (type mismatch); a Text or Bytes of the wrong kind is freed first.
OwnedText TakeText(rt::Value result);
OwnedBytes TakeBytes(rt::Value result);
bool TakeBool(rt::Value result);
std::int32_t TakeInt(rt::Value result);
double TakeDateTime(rt::Value result);

// Unit properties (sub-index -1).
OwnedText ReadTextProperty(std::uint32_t window, std::uint32_t unit, std::int32_t property);
std::int32_t ReadIntProperty(std::uint32_t window, std::uint32_t unit, std::int32_t property);
void WriteTextProperty(std::uint32_t window, std::uint32_t unit, std::int32_t property, const char* text);
void WriteIntProperty(std::uint32_t window, std::uint32_t unit, std::int32_t property, std::int32_t value);

}  // namespace app
