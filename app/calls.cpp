#include "app/calls.h"

#include <cstring>
#include <vector>

#include "runtime/errors.h"
#include "runtime/services.h"

namespace app {
namespace {

const rt::ServiceTable& S() { return rt::Services(); }

[[noreturn]] void TypeMismatch(rt::Value& result) {
  if (result.type == rt::type::kText || result.type == rt::type::kBytes) S().FreeMemory(result.pointer());
  S().ReportError(5);
}

}  // namespace

void OwnedText::Reset() {
  if (text_ != nullptr) S().FreeMemory(text_);
  text_ = nullptr;
}

const void* OwnedBytes::block() const {
  // Dimension count 1, length 0: what a null Bytes variable is passed as.
  static const std::int32_t kEmptyBytes[2] = {1, 0};
  return block_ != nullptr ? block_ : kEmptyBytes;
}

void OwnedBytes::Reset() {
  if (block_ != nullptr) S().FreeMemory(block_);
  block_ = nullptr;
}

// A command the program was linked without: end with a runtime error rather
// than jump through a null entry.
void RequireLinked(rt::Command command) {
  if (command == nullptr) rt::RuntimeError("调用的命令未链接到程序中", 0);
}

rt::Value CallCore(rt::Command command, std::initializer_list<rt::Value> args) {
  RequireLinked(command);
  std::vector<rt::Value> cells(args);
  return S().CallCoreCommand(command, static_cast<std::int32_t>(cells.size()), cells.data());
}

rt::Value CallLibrary(std::int32_t library, rt::Command command, std::initializer_list<rt::Value> args) {
  RequireLinked(command);
  std::vector<rt::Value> cells(args);
  return S().CallLibraryCommand(library, command, static_cast<std::int32_t>(cells.size()), cells.data());
}

OwnedText TakeText(rt::Value result) {
  if (result.type != rt::type::kText) TypeMismatch(result);
  return OwnedText(result.text());
}

OwnedBytes TakeBytes(rt::Value result) {
  if (result.type != rt::type::kBytes) TypeMismatch(result);
  return OwnedBytes(result.pointer());
}

bool TakeBool(rt::Value result) {
  if (result.type != rt::type::kBool) TypeMismatch(result);
  return result.lo != 0;
}

std::int32_t TakeInt(rt::Value result) {
  if (result.type != rt::type::kInt) TypeMismatch(result);
  return result.as_int();
}

double TakeDateTime(rt::Value result) {
  if (result.type != rt::type::kDateTime) TypeMismatch(result);
  return result.as_double();
}

OwnedText ReadTextProperty(std::uint32_t window, std::uint32_t unit, std::int32_t property) {
  return TakeText(S().ReadProperty(window, unit, property, -1));
}

std::int32_t ReadIntProperty(std::uint32_t window, std::uint32_t unit, std::int32_t property) {
  return TakeInt(S().ReadProperty(window, unit, property, -1));
}

void WriteTextProperty(std::uint32_t window, std::uint32_t unit, std::int32_t property, const char* text) {
  rt::Value v = arg::Text(text);
  S().WriteProperty(window, unit, property, -1, v.lo, v.hi);
}

void WriteIntProperty(std::uint32_t window, std::uint32_t unit, std::int32_t property, std::int32_t value) {
  S().WriteProperty(window, unit, property, -1, static_cast<std::uint32_t>(value), 0);
}

}  // namespace app
