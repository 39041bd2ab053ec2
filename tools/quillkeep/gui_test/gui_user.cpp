#include "tools/quillkeep/gui_test/gui_user.h"

#include <cstdio>
#include <cstdlib>

namespace gui_test {
namespace {

constexpr UINT kTimerMs = 40;

GuiUser* g_user = nullptr;

}  // namespace

GuiUser::GuiUser(const std::string& script) : dispatcher_(person_, script) {}

void GuiUser::Start() {
  g_user = this;
  dispatcher_.Start();
  ::SetTimer(nullptr, 0, kTimerMs, OnTimer);
}

void CALLBACK GuiUser::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (g_user == nullptr || g_user->acting_) return;
  std::optional<OpenModal> modal = FindOpenModal();
  if (!modal || modal->window == g_user->last_modal_) return;
  g_user->Act(modal->kind, modal->window);
}

void GuiUser::OnIdle() {
  if (acting_) return;
  if (std::optional<OpenModal> modal = FindOpenModal()) {
    if (modal->window != last_modal_) Act(modal->kind, modal->window);
    return;
  }
  Act(scenario::Wait::kIdle, nullptr);
}

void GuiUser::Act(scenario::Wait wait, HWND modal) {
  // Failures cannot travel through the system's message loops: they end
  // the run here.
  try {
    ActNow(wait, modal);
  } catch (const scenario::ScriptFailure& failure) {
    if (on_failure) on_failure(failure.what());
    std::fprintf(stderr, "%s\n", failure.what());
    std::fflush(stderr);
    std::_Exit(3);
  }
}

void GuiUser::ActNow(scenario::Wait wait, HWND modal) {
  if (person_.StillWaiting()) return;  // the loop runs on meanwhile
  acting_ = true;
  person_.AtWait(modal != nullptr ? std::optional<OpenModal>(OpenModal{wait, modal}) : std::nullopt);
  if (at_wait) at_wait(wait);
  if (dispatcher_.Act(wait) != nullptr && modal != nullptr) last_modal_ = modal;
  if (after_act) after_act();
  acting_ = false;
}

void GuiUser::Finish(int exit_code) {
  ::KillTimer(nullptr, 0);
  g_user = nullptr;
  dispatcher_.Finish(exit_code);
}

}  // namespace gui_test
