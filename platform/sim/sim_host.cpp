#include "platform/sim/sim_host.h"

namespace platform::sim {

BoxAnswer SimHost::ShowMessageBox(const std::string& text, const std::string& caption, std::uint32_t flags,
                                  WindowHandle owner) {
  boxes_.push_back(ShownBox{text, caption, flags, owner});
  if (!answers_.empty()) {
    BoxAnswer answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  switch (flags & 0xF) {
    case mb::kAbortRetryIgnore: return BoxAnswer::kAbort;
    case mb::kYesNoCancel:
    case mb::kYesNo: return BoxAnswer::kYes;
    case mb::kRetryCancel: return BoxAnswer::kRetry;
    default: return BoxAnswer::kOk;
  }
}

void SimHost::EndProcess(int code) { throw ProcessExit{code}; }

std::uint32_t SimHost::TickCount() { return ++ticks_; }

BoxAnswer SimHost::ShowPasswordDialog(const PasswordDialogTexts& texts, std::string* typed) {
  password_dialogs_.push_back(texts);
  if (passwords_.empty()) return BoxAnswer::kCancel;
  std::optional<std::string> answer = std::move(passwords_.front());
  passwords_.pop_front();
  if (!answer) return BoxAnswer::kCancel;
  *typed = std::move(*answer);
  return BoxAnswer::kOk;
}

BoxAnswer SimHost::ShowInputBox(const InputBoxRequest& request, std::string* entered) {
  input_boxes_.push_back(request);
  if (input_answers_.empty()) return BoxAnswer::kCancel;
  std::optional<std::string> keys = std::move(input_answers_.front());
  input_answers_.pop_front();
  if (!keys) return BoxAnswer::kCancel;
  *entered = TypeIntoInputBox(request, *keys);
  return BoxAnswer::kOk;
}

bool SimHost::SetClipboardText(const std::string& text) {
  if (!clipboard_available_) return false;
  clipboard_ = text;
  return true;
}

bool SimHost::OpenWebAddress(const std::string& address) {
  opened_addresses_.push_back(address);
  return true;
}

}  // namespace platform::sim
