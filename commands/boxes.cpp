// MessageBox and InputBox.
#include <cstdlib>
#include <cstring>
#include <string>

#include "commands/byte_buffer.h"
#include "commands/system.h"
#include "commands/text.h"
#include "commands/value_text.h"
#include "platform/host.h"
#include "runtime/helpers.h"
#include "runtime/memory.h"
#include "runtime/state.h"

namespace commands {
namespace {

bool Present(std::int32_t argc, const rt::Value* argv, std::int32_t index) {
  return argc > index && !argv[index].omitted();
}

std::string TextOf(const rt::Value& v) { return v.text() != nullptr ? std::string(v.text()) : std::string(); }

// A window reference becomes the system handle of that window (none when it
// is not loaded); an Int is a system handle already.
platform::WindowHandle OwnerOf(const rt::Value& v) {
  if (v.type == rt::type::kWindow) {
    auto lookup = rt::State().windows.window_handle;
    return lookup != nullptr ? lookup(v.lo, v.hi) : 0;
  }
  if (v.type == rt::type::kInt)  // handles are sign-extended 32-bit values
    return static_cast<platform::WindowHandle>(static_cast<std::intptr_t>(v.as_int()));
  return 0;
}

std::int32_t ResultOfAnswer(platform::BoxAnswer answer) {
  auto id = static_cast<int>(answer);  // IDOK 1 ... IDNO 7
  return id >= 1 && id <= 7 ? id - 1 : 0;
}

// Stores the entered text into the variable the reference points to, in
// the variable's own type.
void StoreEntry(const rt::Value& target, const platform::Secret& entry) {
  void* variable = target.pointer();
  if (variable == nullptr) return;
  switch (target.type) {
    case rt::type::kText: {
      char* copy = rt::CopyTextN(entry.data(), static_cast<std::int64_t>(entry.size()));
      char* old = nullptr;
      std::memcpy(&old, variable, sizeof old);
      rt::FreeMemory(old);
      std::memcpy(variable, &copy, sizeof copy);
      break;
    }
    case rt::type::kByte: {
      auto v = static_cast<std::uint8_t>(ParseInt32(entry.c_str()));
      std::memcpy(variable, &v, sizeof v);
      break;
    }
    case rt::type::kShort: {
      auto v = static_cast<std::int16_t>(ParseInt32(entry.c_str()));
      std::memcpy(variable, &v, sizeof v);
      break;
    }
    case rt::type::kInt: {
      std::int32_t v = ParseInt32(entry.c_str());
      std::memcpy(variable, &v, sizeof v);
      break;
    }
    case rt::type::kInt64: {
      std::int64_t v = ParseInt64(entry.c_str());
      std::memcpy(variable, &v, sizeof v);
      break;
    }
    case rt::type::kFloat: {
      auto v = static_cast<float>(std::strtod(entry.c_str(), nullptr));
      std::memcpy(variable, &v, sizeof v);
      break;
    }
    case rt::type::kDouble: {
      double v = std::strtod(entry.c_str(), nullptr);
      std::memcpy(variable, &v, sizeof v);
      break;
    }
    default: break;  // other variables stay as they are
  }
}

}  // namespace

void MessageBox(rt::Value* result, std::int32_t argc, rt::Value* argv) {
  ByteBuffer message;
  if (argv[0].type == rt::type::kText) {
    const char* text = argv[0].text();
    if (text != nullptr) message.Append(text, std::strlen(text));
  } else {
    AppendScalarText(argv[0], message);  // other types show an empty message
  }
  std::uint32_t flags = argv[1].lo;
  if ((flags & platform::mb::kSystemModal) == 0) flags |= platform::mb::kTaskModal;
  std::string caption = Present(argc, argv, 2) ? TextOf(argv[2]) : std::string("信息：");
  platform::WindowHandle owner = Present(argc, argv, 3) ? OwnerOf(argv[3]) : 0;

  platform::BoxAnswer answer = platform::CurrentHost().ShowMessageBox(std::string(message.data(), message.size()),
                                                                      caption, flags, owner);
  *result = rt::Value::Int(ResultOfAnswer(answer));
}

void InputBox(rt::Value* result, std::int32_t argc, rt::Value* argv) {
  platform::InputBoxRequest request;
  if (Present(argc, argv, 0)) request.prompt = TextOf(argv[0]);
  std::string caption = Present(argc, argv, 1) ? TextOf(argv[1]) : std::string();
  request.caption = caption.empty() ? std::string("请输入：") : caption;
  if (Present(argc, argv, 2)) request.initial = TextOf(argv[2]);
  if (Present(argc, argv, 4)) {
    std::int32_t mode = argv[4].as_int();
    request.mode = mode < 1 ? 1 : (mode > 4 ? 4 : mode);
  }
  if (Present(argc, argv, 5)) request.owner = OwnerOf(argv[5]);
  request.input_method = !rt::InputBoxesTakeSecrets();

  platform::Secret entry;  // it may be a password
  bool ok = platform::CurrentHost().ShowInputBox(request, &entry) == platform::BoxAnswer::kOk;
  if (ok && argc > 3) StoreEntry(argv[3], entry);
  *result = rt::Value::Bool(ok);
}

}  // namespace commands
