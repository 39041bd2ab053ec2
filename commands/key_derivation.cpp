#include "commands/key_derivation.h"

#include <cstring>

#include "commands/data.h"
#include "commands/text.h"
#include "runtime/helpers.h"
#include "runtime/memory.h"
#include "runtime/services.h"

namespace commands {
namespace {

// Holds a command's Text or Bytes result; wipes and frees it at the end.
class Secret {
 public:
  explicit Secret(rt::Value v) : value_(v) {}
  ~Secret() {
    rt::DataView data = rt::ValueData(value_);
    if (value_.pointer() != nullptr) rt::WipeMemory(const_cast<void*>(data.data), data.size);
    rt::FreeValue(value_);
  }
  Secret(const Secret&) = delete;
  Secret& operator=(const Secret&) = delete;
  const rt::Value& value() const { return value_; }

 private:
  rt::Value value_;
};

rt::Value Run(rt::Command command, std::initializer_list<rt::Value> arguments) {
  rt::Value cells[3];
  std::int32_t count = 0;
  for (const rt::Value& v : arguments) cells[count++] = v;
  return rt::CallCommand(command, count, cells);
}

}  // namespace

char* DeriveDatabaseKey(const char* password) {
  Secret trimmed(Run(Trim, {rt::Value::Text(password != nullptr ? password : "")}));
  Secret bytes(Run(ToBytes, {rt::Value::Text(trimmed.value().text() != nullptr ? trimmed.value().text() : "")}));
  Secret first(Run(Digest, {bytes.value()}));
  Secret enciphered(Run(EncryptData, {bytes.value(), first.value(), rt::Value::Int(1)}));
  rt::Value key = Run(Digest, {enciphered.value()});
  return key.text();
}

}  // namespace commands
