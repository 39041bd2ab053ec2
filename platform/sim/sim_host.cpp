#include "platform/sim/sim_host.h"

#include "platform/civil_date.h"

namespace platform::sim {
namespace {

// Longest wait or clearing delay, so the tick arithmetic stays in range.
constexpr std::uint32_t kLongestSeconds = 7 * 24 * 3600;

}  // namespace

LocalTime AddSeconds(const LocalTime& t, std::uint32_t seconds) {
  long long total = (DaysFromCivil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day)) * 86400LL +
                     t.hour * 3600LL + t.minute * 60LL + t.second) +
                    seconds;
  long long days = total >= 0 ? total / 86400 : (total - 86399) / 86400;
  long long rest = total - days * 86400;
  LocalTime out;
  const CivilDate date = CivilFromDays(days);
  out.year = static_cast<int>(date.year);
  out.month = static_cast<int>(date.month);
  out.day = static_cast<int>(date.day);
  out.hour = static_cast<int>(rest / 3600);
  out.minute = static_cast<int>(rest / 60 % 60);
  out.second = static_cast<int>(rest % 60);
  return out;
}

BoxAnswer SimHost::ShowMessageBox(const std::string& text, const std::string& caption, std::uint32_t flags,
                                  WindowHandle owner) {
  boxes_.push_back(ShownBox{text, caption, flags, owner});
  if (!answers_.empty()) {
    BoxAnswer answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  return MessageBoxButtons(flags).front();
}

void SimHost::EndProcess(int code) { throw ProcessExit{code}; }

std::uint32_t SimHost::TickCount() { return ++ticks_; }

BoxAnswer SimHost::ShowPasswordDialog(const PasswordDialogTexts& texts, Secret* typed) {
  password_dialogs_.push_back(texts);
  if (passwords_.empty()) return BoxAnswer::kCancel;
  std::optional<std::string> answer = std::move(passwords_.front());
  passwords_.pop_front();
  if (!answer) return BoxAnswer::kCancel;
  typed->Assign(*answer);
  return BoxAnswer::kOk;
}

BoxAnswer SimHost::ShowInputBox(const InputBoxRequest& request, Secret* entered) {
  input_boxes_.push_back(request);
  if (input_answers_.empty()) return BoxAnswer::kCancel;
  std::optional<std::string> keys = std::move(input_answers_.front());
  input_answers_.pop_front();
  if (!keys) return BoxAnswer::kCancel;
  entered->Assign(TypeIntoInputBox(request, *keys));
  return BoxAnswer::kOk;
}

bool SimHost::SetClipboardText(const std::string& text) {
  if (!clipboard_available_) return false;
  clipboard_ = text;
  clipboard_ours_ = true;
  return true;
}

bool SimHost::ClearClipboardIfOurs() {
  if (!clipboard_ours_ || !clipboard_available_) return false;
  clipboard_.reset();
  clipboard_ours_ = false;
  return true;
}

void SimHost::ScheduleClipboardClear(std::uint32_t seconds) {
  if (seconds == 0) {
    clear_due_.reset();
    return;
  }
  clear_due_ = ticks_ + (seconds < kLongestSeconds ? seconds : kLongestSeconds) * 1000u;
}

bool SimHost::WaitSeconds(std::uint32_t seconds) {
  if (seconds > kLongestSeconds) seconds = kLongestSeconds;
  ticks_ += seconds * 1000u;
  clock_ = AddSeconds(clock_, seconds);
  if (clear_due_ && ticks_ >= *clear_due_) {
    clear_due_.reset();
    ClearClipboardIfOurs();
  }
  if (listener_ == nullptr || !ticks_wanted_) return true;
  return Deliver([](HostListener& listener) { listener.OnTick(); });
}

bool SimHost::LockSession() {
  if (listener_ == nullptr) return true;
  return Deliver([](HostListener& listener) { listener.OnSessionLocked(); });
}

bool SimHost::OpenWebAddress(const std::string& address) {
  opened_addresses_.push_back(address);
  return true;
}

}  // namespace platform::sim
