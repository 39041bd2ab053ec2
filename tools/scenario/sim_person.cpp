#include "tools/scenario/sim_person.h"

#include <stdexcept>

#include "platform/system.h"

namespace scenario {
namespace {

using platform::sim::Desktop;

std::optional<std::string> Utf8(const std::optional<std::string>& gbk) {
  return gbk ? std::optional<std::string>(platform::GbkToUtf8(*gbk)) : std::nullopt;
}

// The items a person can choose, depth first: a pop-up's own items stand
// where it does.
void CollectItems(const std::vector<platform::MenuEntry>& entries, std::vector<const platform::MenuEntry*>* items) {
  for (const platform::MenuEntry& entry : entries) {
    if (entry.children.empty() && entry.caption != "-") items->push_back(&entry);
    CollectItems(entry.children, items);
  }
}

std::vector<const platform::MenuEntry*> PopupItems(const Desktop& desktop) {
  std::vector<const platform::MenuEntry*> items;
  if (const std::vector<platform::MenuEntry>* entries = desktop.open_popup()) CollectItems(*entries, &items);
  return items;
}

// The desktop's refusals, as the dispatcher reports them.
template <typename Action>
void Refusing(Action action) {
  try {
    action();
  } catch (const platform::sim::ActionRefused& refused) {
    throw ActionRefused(refused.what());
  }
}

Wait WaitOf(platform::sim::WaitKind wait) {
  switch (wait) {
    case platform::sim::WaitKind::kIdle: return Wait::kIdle;
    case platform::sim::WaitKind::kMessageBox: return Wait::kMessageBox;
    case platform::sim::WaitKind::kInputBox: return Wait::kInputBox;
    case platform::sim::WaitKind::kPasswordDialog: return Wait::kPasswordDialog;
    case platform::sim::WaitKind::kPopupMenu: return Wait::kPopupMenu;
  }
  return Wait::kIdle;
}

// A colour of the simulated desktop (0xBBGGRR) as a script writes it (0xRRGGBB).
std::uint32_t Rgb(std::uint32_t bgr) { return (bgr & 0xFF) << 16 | (bgr & 0xFF00) | (bgr >> 16 & 0xFF); }

}  // namespace

Desktop& SimPerson::desktop() {
  if (desktop_ == nullptr) throw std::logic_error("the scripted person sits at no desktop");
  return *desktop_;
}

std::optional<ShownMessageBox> SimPerson::OpenMessageBox() {
  const platform::sim::OpenBox* box = desktop().open_box();
  if (!box) return std::nullopt;
  return ShownMessageBox{platform::GbkToUtf8(box->text), platform::GbkToUtf8(box->caption),
                         platform::MessageBoxButtons(box->flags)};
}

std::optional<std::string> SimPerson::InputBoxPrompt() {
  const platform::InputBoxRequest* input = desktop().open_input_box();
  return input ? Utf8(input->prompt) : std::nullopt;
}

std::optional<std::string> SimPerson::PasswordDialogMessage() {
  const platform::PasswordDialogTexts* dialog = desktop().open_password_dialog();
  return dialog ? Utf8(dialog->message) : std::nullopt;
}

std::optional<std::vector<PopupItem>> SimPerson::OpenPopupMenu() {
  if (desktop().open_popup() == nullptr) return std::nullopt;
  std::vector<PopupItem> items;
  for (const platform::MenuEntry* entry : PopupItems(desktop()))
    items.push_back(PopupItem{platform::GbkToUtf8(entry->caption.substr(0, entry->caption.find('\t'))), entry->greyed});
  return items;
}

std::optional<std::string> SimPerson::ClipboardText() { return Utf8(desktop().clipboard()); }

std::optional<std::string> SimPerson::LastOpenedAddress() {
  const std::vector<std::string>& opened = desktop().opened_addresses();
  return opened.empty() ? std::nullopt : Utf8(opened.back());
}

bool SimPerson::IsReadOnly(platform::WindowHandle edit) {
  const platform::sim::SimWindow* window = desktop().Find(edit);
  return window != nullptr && window->rules.read_only;
}

std::optional<std::uint32_t> SimPerson::ColourAt(platform::WindowHandle unit, int x, int y) {
  std::optional<std::uint32_t> colour = desktop().ColourAt(unit, x, y);
  if (!colour) return std::nullopt;
  return Rgb(*colour);
}

std::uint32_t SimPerson::FaceColour() { return Rgb(platform::sim::kFaceColour); }

void SimPerson::Type(platform::WindowHandle edit, const std::string& text) {
  TypedText typed = TypeableText(text);
  refused_ = typed.refused;
  Refusing([&] { desktop().input().Type(edit, typed.gbk); });
}

void SimPerson::Click(platform::WindowHandle unit) {
  Refusing([&] { desktop().input().Click(unit); });
}

void SimPerson::RightClick(platform::WindowHandle list) {
  Refusing([&] { desktop().input().RightClick(list); });
}

void SimPerson::SelectRow(platform::WindowHandle list, int row) {
  Refusing([&] { desktop().input().SelectRow(list, row); });
}

void SimPerson::DoubleClickRow(platform::WindowHandle list, int row) {
  Refusing([&] { desktop().input().DoubleClickRow(list, row); });
}

void SimPerson::ClickHeader(platform::WindowHandle list, int column) {
  Refusing([&] { desktop().input().ClickHeader(list, column); });
}

void SimPerson::HoverRow(platform::WindowHandle list, int row) {
  Refusing([&] { desktop().input().HoverRow(list, row); });
}

void SimPerson::ToggleCheck(platform::WindowHandle list, int row) {
  Refusing([&] { desktop().input().ToggleCheck(list, row); });
}

void SimPerson::PressSpin(platform::WindowHandle edit, bool up) {
  Refusing([&] { desktop().input().PressSpin(edit, up); });
}

void SimPerson::RenameRow(platform::WindowHandle list, int row, const std::string& text) {
  TypedText typed = TypeableText(text);
  refused_ = typed.refused;
  Refusing([&] { desktop().input().RenameRow(list, row, typed.gbk); });
}

void SimPerson::Drag(platform::WindowHandle unit, int dx, int dy) {
  Refusing([&] { desktop().input().Drag(unit, dx, dy); });
}

void SimPerson::PressKey(int key) {
  Refusing([&] { desktop().input().PressKey(key); });
}

void SimPerson::Close(platform::WindowHandle frame) {
  if (frame != desktop().active()) throw ActionRefused("the window is not the active one");
  Refusing([&] { desktop().input().CloseActive(); });
}

void SimPerson::AnswerBox(platform::BoxAnswer answer) {
  Refusing([&] { desktop().input().AnswerBox(answer); });
}

void SimPerson::AnswerDialog(const std::optional<std::string>& typed) {
  std::optional<std::string> gbk;
  refused_.clear();
  if (typed) {
    TypedText text = TypeableText(*typed);
    gbk = text.gbk;
    refused_ = text.refused;
  }
  Refusing([&] { desktop().input().AnswerDialog(gbk); });
}

void SimPerson::ChoosePopupItem(std::size_t index) {
  std::vector<const platform::MenuEntry*> items = PopupItems(desktop());
  if (index >= items.size()) throw ActionRefused("the popup menu has no such item");
  Refusing([&] { desktop().input().ChoosePopup(items[index]->command); });
}

void SimPerson::DismissPopup() {
  Refusing([&] { desktop().input().DismissPopup(); });
}

void SimPerson::SetClock(const platform::LocalTime& now) { desktop().SetClock(now); }

bool SimPerson::PassTime(std::uint32_t seconds) { return desktop().WaitSeconds(seconds); }

bool SimPerson::LockSession() { return desktop().LockSession(); }

SimScriptedUser::SimScriptedUser(const std::string& script) : dispatcher_(person_, script) {}

void SimScriptedUser::Start(Desktop& desktop) {
  person_.SitAt(desktop);
  dispatcher_.Start();
}

void SimScriptedUser::Finish(Desktop& desktop, int exit_code) {
  person_.SitAt(desktop);
  dispatcher_.Finish(exit_code);
}

void SimScriptedUser::Act(Desktop& desktop, platform::sim::WaitKind wait) {
  person_.SitAt(desktop);
  if (at_wait) at_wait(wait);
  const ScriptLine* done = dispatcher_.Act(WaitOf(wait));
  if (done != nullptr && after_action) {
    static const std::vector<std::string> kNone;
    after_action(*done, done->verb == "type" || done->verb == "input" ? person_.refused() : kNone);
  }
}

}  // namespace scenario
