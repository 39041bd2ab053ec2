#include "tools/quillkeep-sim/transcript.h"

#include <functional>

#include "platform/system.h"
#include "ui/unit_lookup.h"

namespace sim_tool {
namespace {

using platform::sim::Desktop;
using platform::sim::SimWindow;
using platform::sim::WaitKind;

std::string Quote(const std::string& gbk) {
  std::string quoted(1, '"');
  quoted.append(platform::GbkToUtf8(gbk)).push_back('"');
  return quoted;
}

std::string Buttons(std::uint32_t flags) {
  std::string names;
  for (platform::BoxAnswer button : platform::MessageBoxButtons(flags))
    names.append(names.empty() ? "" : ", ").append(scenario::ButtonName(button));
  return names;
}

// The list views inside a visible frame, depth first.
void CollectLists(const Desktop& desktop, const SimWindow& window, std::vector<const SimWindow*>* lists) {
  for (platform::WindowHandle child : window.children) {
    const SimWindow* found = desktop.Find(child);
    if (found == nullptr) continue;
    if (found->kind == platform::ControlKind::kListView) lists->push_back(found);
    CollectLists(desktop, *found, lists);
  }
}

// Line breaks and tabs written as the script's escapes, so each action
// stays on one line.
std::string Visible(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (c == '\t') out += "\\t";
    else out += c;
  }
  return out;
}

}  // namespace

void Transcript::Action(const scenario::ScriptLine& line, const std::vector<std::string>& refused) {
  std::string text = "> ";
  text.append(line.verb);
  for (const std::string& word : line.words) text.append(" ").append(word);
  if (line.verb == "type" || line.verb == "input" || line.verb == "menu") text.append(" ").append(Visible(line.text));
  text.append("  (line ").append(std::to_string(line.number)).append(")");
  Line(text);
  if (!refused.empty()) Line("  refused, the code page lacks them: " + scenario::DescribeRefused(refused));
}

void Transcript::Line(const std::string& utf8) {
  std::fputs(utf8.c_str(), out_);
  std::fputc('\n', out_);
  std::fflush(out_);
}

void Transcript::WriteList(const std::string& name, const Rows& rows) {
  Line("list " + Quote(name) + ": " + std::to_string(rows.size()) + (rows.size() == 1 ? " row" : " rows"));
  for (std::size_t r = 0; r < rows.size(); ++r) {
    std::string line = "  " + std::to_string(r) + ":";
    for (const std::string& cell : rows[r]) line += " | " + platform::GbkToUtf8(cell);
    Line(line);
  }
}

void Transcript::WriteChanges(const Desktop& desktop) {
  std::map<platform::WindowHandle, std::string> frames;
  std::map<platform::WindowHandle, Rows> lists;
  std::vector<const SimWindow*> shown = desktop.Frames();
  for (const SimWindow* frame : shown) frames[frame->handle] = frame->text;

  for (const auto& [handle, caption] : frames_)
    if (frames.count(handle) == 0) Line("window closed: " + Quote(caption));
  for (const SimWindow* frame : shown) {
    auto before = frames_.find(frame->handle);
    if (before == frames_.end()) Line("window opened: " + Quote(frame->text));
    else if (before->second != frame->text) Line("window caption: " + Quote(before->second) + " -> " + Quote(frame->text));
  }
  frames_ = std::move(frames);

  for (const SimWindow* frame : shown) {
    std::vector<const SimWindow*> found;
    CollectLists(desktop, *frame, &found);
    for (const SimWindow* list : found) {
      Rows rows;
      for (const platform::sim::ListModel::Row& row : list->list.rows()) rows.push_back(row.cells);
      auto before = lists_.find(list->handle);
      bool changed = before == lists_.end() ? !rows.empty() : before->second != rows;
      if (changed) {
        std::optional<ui::UnitIdentity> unit = ui::IdentifyUnit(list->handle);
        WriteList(unit ? unit->name : std::string(), rows);
      }
      lists[list->handle] = std::move(rows);
    }
  }
  lists_ = std::move(lists);

  if (desktop.clipboard() != clipboard_) {
    clipboard_ = desktop.clipboard();
    if (clipboard_) Line("clipboard: " + Quote(*clipboard_));
  }
  const std::vector<std::string>& opened = desktop.opened_addresses();
  for (; addresses_seen_ < opened.size(); ++addresses_seen_) Line("browser opens: " + Quote(opened[addresses_seen_]));
}

void Transcript::AtWait(const Desktop& desktop, WaitKind wait) {
  WriteChanges(desktop);
  if (wait != WaitKind::kIdle) waiting_in_.clear();
  switch (wait) {
    case WaitKind::kIdle: {
      // Said again only when another window has become the active one.
      const SimWindow* active = desktop.Find(desktop.active());
      std::string where = active != nullptr ? Quote(active->text) : std::string("no window");
      if (where != waiting_in_) Line("waiting in " + where);
      waiting_in_ = where;
      return;
    }
    case WaitKind::kMessageBox:
      if (const auto& box = desktop.open_box())
        Line("message box " + Quote(box->text) + " captioned " + Quote(box->caption) + " [" + Buttons(box->flags) + "]");
      break;
    case WaitKind::kInputBox:
      if (const auto& input = desktop.open_input_box())
        Line("input box " + Quote(input->prompt) + (input->masked() ? " (masked)" : ""));
      break;
    case WaitKind::kPasswordDialog:
      if (const auto& dialog = desktop.open_password_dialog())
        Line("password dialog " + Quote(dialog->prompt) +
             (dialog->message.empty() ? std::string() : " with " + Quote(dialog->message)));
      break;
    case WaitKind::kPopupMenu:
      if (const auto* entries = desktop.open_popup()) {
        std::string line = "popup menu";
        for (const platform::MenuEntry& entry : *entries) line += " [" + platform::GbkToUtf8(entry.caption) + "]";
        Line(line);
      }
      break;
  }
}

void Transcript::AtExit(const Desktop& desktop, int exit_code, const std::string& runtime_error) {
  WriteChanges(desktop);
  if (!runtime_error.empty()) Line(runtime_error);
  Line("program ended with exit code " + std::to_string(exit_code));
}

}  // namespace sim_tool
