#include "db/password_dialog.h"

#include <cstdio>
#include <utility>

#include "platform/host.h"
#include "runtime/errors.h"
#include "runtime/helpers.h"
#include "runtime/memory.h"

namespace db {

namespace {

constexpr int kAttemptsOffered = 3;

platform::PasswordDialogTexts DialogTexts(int failed_attempts) {
  platform::PasswordDialogTexts texts;
  texts.caption = "密码输入";
  texts.prompt = "请输入数据库访问密码：";
  texts.ok = "确认(&O)";
  texts.cancel = "取消(&C)";
  if (failed_attempts > 0) {
    char line[96];
    std::snprintf(line, sizeof line, "密码错误，您还有 %d 次重新输入的机会。", kAttemptsOffered - failed_attempts);
    texts.message = line;
  }
  return texts;
}

}  // namespace

bool RunPasswordDialog(int failed_attempts, platform::Secret* typed) {
  platform::Secret entered;
  platform::BoxAnswer answer = platform::CurrentHost().ShowPasswordDialog(DialogTexts(failed_attempts), &entered);
  if (answer != platform::BoxAnswer::kOk) return false;
  *typed = std::move(entered);
  return true;
}

void InputPasswordDialog(rt::Value* result, std::int32_t argc, rt::Value* argv) {
  // The first argument is a Text variable by reference (its address is the
  // payload); the count, when given, a number.
  if (argc < 1 || argv[0].type != rt::type::kText || argv[0].pointer() == nullptr) rt::ReportError(11);
  int failed = 0;
  if (argc >= 2 && !argv[1].omitted()) {
    const rt::Value& count = argv[1];
    if (!rt::IsNumericType(count.type)) rt::ReportError(11);
    double n = count.type == rt::type::kFloat    ? count.as_float()
               : count.type == rt::type::kDouble ? count.as_double()
                                                 : count.as_int();
    failed = n >= -1e6 && n <= 1e6 ? static_cast<int>(n) : 0;  // NaN and huge values too
  }
  platform::Secret typed;
  bool ok = RunPasswordDialog(failed, &typed);
  if (ok) {
    // The variable's address is the argument's payload.
    auto** variable = static_cast<char**>(argv[0].pointer());
    char* copy = rt::CopyText(typed.c_str());
    rt::FreeMemory(*variable);
    *variable = copy;
  }
  *result = rt::Value::Bool(ok);
}

}  // namespace db
