#include "tools/scenario/screen.h"

#include <vector>

#include "platform/system.h"
#include "tools/scenario/script.h"
#include "ui/property_text.h"

namespace scenario {
namespace {

platform::WindowSystem* System() { return platform::CurrentWindowSystem(); }

// The open box, dialog or popup menu; "" when none is.
std::string DescribeModal(Person& person) {
  std::string out;
  if (std::optional<ShownMessageBox> box = person.OpenMessageBox()) {
    out.append("message box ").append(Quote(box->text)).append(" captioned ").append(Quote(box->caption));
  } else if (std::optional<std::string> prompt = person.InputBoxPrompt()) {
    out.append("input box ").append(Quote(*prompt));
  } else if (std::optional<std::string> message = person.PasswordDialogMessage()) {
    out.append("password dialog");
    if (!message->empty()) out.append(" ").append(Quote(*message));
  } else if (std::optional<std::vector<PopupItem>> items = person.OpenPopupMenu()) {
    out.append("popup menu");
    for (const PopupItem& item : *items) out.append(" [").append(item.caption).append("]");
  }
  return out;
}

}  // namespace

std::string Screen::Describe() {
  std::string out = DescribeModal(person_);
  if (platform::WindowSystem* system = System()) {
    platform::WindowHandle active = system->GetActive();
    for (platform::WindowHandle frame : ui::LoadedFrames()) {
      if (!system->IsVisible(frame)) continue;
      if (!out.empty()) out += "; ";
      out += "window " + Quote(platform::GbkToUtf8(system->GetText(frame))) + (frame == active ? " (active)" : "") +
             (system->IsEnabled(frame) ? "" : " (disabled)");
    }
  }
  return out.empty() ? "no window" : out;
}

platform::WindowHandle Screen::ActiveFrame() {
  platform::WindowSystem* system = System();
  if (system == nullptr) return 0;
  platform::WindowHandle active = system->GetActive();
  std::optional<ui::UnitIdentity> unit = ui::IdentifyUnit(active);
  return unit && unit->is_window ? active : 0;
}

std::optional<std::string> Screen::ActiveWindowCaption() {
  platform::WindowHandle active = ActiveFrame();
  if (active == 0) return std::nullopt;
  return platform::GbkToUtf8(System()->GetText(active));
}

platform::WindowHandle Screen::FindUnit(const std::string& name) {
  std::uint32_t id = 0;
  if (IsUnitIdName(name, &id)) return ui::FindUnitWindowById(id);
  return ui::FindUnitWindow(platform::Utf8ToGbk(name));
}

std::optional<ui::UnitIdentity> Screen::Identify(platform::WindowHandle unit) { return ui::IdentifyUnit(unit); }

std::optional<std::string> Screen::UnitProperty(platform::WindowHandle unit, int index) {
  std::optional<ui::UnitIdentity> identity = ui::IdentifyUnit(unit);
  if (!identity) return std::nullopt;
  return ui::PropertyText(identity->window, identity->unit, index);
}

int Screen::ListRows(platform::WindowHandle list) {
  platform::WindowSystem* system = System();
  return system != nullptr ? system->ListRowCount(list) : 0;
}

std::string Screen::ListCell(platform::WindowHandle list, int row, int column) {
  platform::WindowSystem* system = System();
  if (system == nullptr) return {};
  // The seam copies at most capacity - 1 bytes: a cell that fills the
  // buffer may be longer, so read it again with room to spare.
  for (int capacity = 4096;; capacity *= 2) {
    std::vector<char> buffer(static_cast<std::size_t>(capacity));
    int n = system->ListGetCell(list, row, column, buffer.data(), capacity);
    if (n < capacity - 1 || capacity >= (1 << 24))
      return n > 0 ? platform::GbkToUtf8(std::string(buffer.data(), static_cast<std::size_t>(n))) : std::string();
  }
}

bool Screen::Enabled(platform::WindowHandle window) {
  platform::WindowSystem* system = System();
  if (system == nullptr || !system->IsWindow(window)) return false;
  for (platform::WindowHandle w = window; w != 0; w = system->GetParent(w))
    if (!system->IsEnabled(w)) return false;
  return true;
}

std::string Screen::WhyUnusable(platform::WindowHandle window, const std::string& what) {
  platform::WindowSystem* system = System();
  if (window == 0 || system == nullptr || !system->IsWindow(window)) return "no such " + what;
  if (!system->IsVisible(window)) return "the " + what + " is not visible";
  if (!Enabled(window)) return "the " + what + " is disabled";
  return {};
}

}  // namespace scenario
