#include "runtime/errors.h"

#include <cstdio>

#include "platform/host.h"
#include "runtime/exit.h"
#include "runtime/state.h"

namespace rt {

const char* RuntimeErrorMessage(int code) {
  static const char* const kMessages[] = {
      "数组成员引用下标超出定义范围",
      "未得到所需要的数值型数据",
      "引用数组成员时维数不为1且不等于该数组目前所具有的维数",
      "数组成员引用下标必须大于等于1",
      "数据或数组类型不匹配",
      "调用DLL命令后发现堆栈错误",
      "子语句参数未返回数据或者返回了非系统基本类型或数组型数据",
      "被比较数据只能使用等于或不等于命令比较",
      "“多项选择”命令的索引值参数小于零或超出了所提供参数表范围",
      "“重定义数组”命令的数组维定义参数值必须大于零或单维时大于等于零",
      "所提供参数的数据类型不符合要求",
  };
  if (code < 1 || code > 11) return "";
  return kMessages[code - 1];
}

std::string FormatRuntimeErrorReport(const char* message, int code) {
  std::string text = "运行时出错!\r\n\r\n";
  if (code != 0) {
    text += "错误代码：";
    text += std::to_string(code);
    text += "\r\n\r\n";
  }
  if (message != nullptr && message[0] != '\0') {
    text += "错误信息：";
    text += message;
    text += "\r\n";
  }
  return text;
}

void RuntimeError(const char* message, int code) {
  RuntimeState& state = State();
  ++state.event_block_counter;
  std::string text = FormatRuntimeErrorReport(message, code);
  state.error_report = text;
  platform::CurrentHost().ShowMessageBox(text, "错误", platform::mb::kOk | platform::mb::kIconStop, 0);
  // Run mode 2 would stop in an attached debugger here; no debugger is
  // attached to a shipped program, so the report goes straight on.
  state.exit_handlers.clear();
  ExitProgram(-1);
}

void ReportError(int code) { RuntimeError(RuntimeErrorMessage(code), code); }

}  // namespace rt
