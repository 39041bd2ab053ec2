#include "platform/sim/script.h"

#include <functional>
#include <sstream>

#include "platform/sim/script_checks.h"
#include "platform/system.h"

namespace platform::sim {
namespace {

std::string Trim(const std::string& s) {
  std::size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return {};
  std::size_t e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

// Splits off `count` words; the rest of the line (after one space) is TEXT.
bool SplitWords(const std::string& rest, std::size_t count, std::vector<std::string>* words, std::string* text) {
  std::size_t at = 0;
  for (std::size_t i = 0; i < count; ++i) {
    while (at < rest.size() && rest[at] == ' ') ++at;
    if (at >= rest.size()) return false;
    std::size_t end = rest.find(' ', at);
    if (end == std::string::npos) end = rest.size();
    words->push_back(rest.substr(at, end - at));
    at = end;
  }
  if (text != nullptr) *text = at < rest.size() ? Unescape(rest.substr(at + 1)) : std::string();
  return true;
}

const char* WaitName(WaitKind wait) {
  switch (wait) {
    case WaitKind::kIdle: return "the program waiting in a window";
    case WaitKind::kMessageBox: return "a message box";
    case WaitKind::kInputBox: return "an input box";
    case WaitKind::kPasswordDialog: return "the password dialog";
    case WaitKind::kPopupMenu: return "a popup menu";
  }
  return "";
}

// The simulated desktop as the script's checks read it.
class SimScreen final : public CheckedScreen {
 public:
  SimScreen(Desktop& desktop, const std::function<std::optional<std::string>(std::uint32_t, std::uint32_t, int)>& read_property)
      : desktop_(desktop), read_property_(read_property) {}

  std::string Describe() override { return desktop_.DescribeScreen(); }
  std::optional<std::string> MessageBoxText() override {
    return desktop_.open_box() ? std::optional<std::string>(GbkToUtf8(desktop_.open_box()->text)) : std::nullopt;
  }
  std::optional<std::string> MessageBoxCaption() override {
    return desktop_.open_box() ? std::optional<std::string>(GbkToUtf8(desktop_.open_box()->caption)) : std::nullopt;
  }
  std::optional<std::string> InputBoxPrompt() override {
    return desktop_.open_input_box() ? std::optional<std::string>(GbkToUtf8(desktop_.open_input_box()->prompt)) : std::nullopt;
  }
  std::optional<std::string> PasswordDialogMessage() override {
    const auto& dialog = desktop_.open_password_dialog();
    return dialog ? std::optional<std::string>(GbkToUtf8(dialog->message)) : std::nullopt;
  }
  std::optional<std::string> ActiveWindowCaption() override {
    const SimWindow* active = desktop_.Find(desktop_.active());
    return active ? std::optional<std::string>(GbkToUtf8(active->text)) : std::nullopt;
  }
  std::optional<std::string> ClipboardText() override {
    return desktop_.clipboard() ? std::optional<std::string>(GbkToUtf8(*desktop_.clipboard())) : std::nullopt;
  }
  std::optional<std::string> LastOpenedAddress() override {
    const auto& opened = desktop_.opened_addresses();
    return opened.empty() ? std::nullopt : std::optional<std::string>(GbkToUtf8(opened.back()));
  }
  std::optional<UnitRef> FindUnit(const std::string& name) override {
    std::uint32_t id = 0;
    WindowHandle handle = IsUnitIdName(name, &id) ? (id != 0 ? desktop_.FindUnitById(id) : 0) : desktop_.FindUnit(Utf8ToGbk(name));
    return handle != 0 ? std::optional<UnitRef>(static_cast<UnitRef>(handle)) : std::nullopt;
  }
  std::optional<std::string> UnitProperty(UnitRef unit, int index) override {
    const SimWindow* window = desktop_.Find(static_cast<WindowHandle>(unit));
    if (window == nullptr || !read_property_) return std::nullopt;
    return read_property_(window->window_id, window->unit_id, index);
  }
  int ListRows(UnitRef unit) override {
    const SimWindow* window = desktop_.Find(static_cast<WindowHandle>(unit));
    return window ? static_cast<int>(window->rows.size()) : 0;
  }
  std::string ListCell(UnitRef unit, int row, int column) override {
    const SimWindow* window = desktop_.Find(static_cast<WindowHandle>(unit));
    if (window == nullptr || row < 0 || row >= static_cast<int>(window->rows.size())) return {};
    const auto& cells = window->rows[static_cast<std::size_t>(row)].cells;
    if (column < 0 || column >= static_cast<int>(cells.size())) return {};
    return GbkToUtf8(cells[static_cast<std::size_t>(column)]);
  }

 private:
  Desktop& desktop_;
  const std::function<std::optional<std::string>(std::uint32_t, std::uint32_t, int)>& read_property_;
};

}  // namespace

std::string Unescape(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    switch (text[++i]) {
      case 'r': out += '\r'; break;
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 's': out += ' '; break;
      case '\\': out += '\\'; break;
      default:
        out += '\\';
        out += text[i];
        break;
    }
  }
  return out;
}

std::vector<ScriptLine> ParseScript(const std::string& script, int* last_line) {
  std::vector<ScriptLine> lines;
  std::istringstream in(script);
  std::string raw;
  int number = 0;
  while (std::getline(in, raw)) {
    ++number;
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    std::string line = Trim(raw);
    if (line.empty() || line[0] == '#') continue;
    ScriptLine parsed;
    parsed.number = number;
    std::size_t space = line.find(' ');
    parsed.verb = line.substr(0, space);
    // Keep the raw remainder (single separating space) so TEXT keeps its blanks.
    std::string rest = space == std::string::npos ? std::string() : raw.substr(raw.find(parsed.verb) + parsed.verb.size());
    bool ok = true;
    const std::string& v = parsed.verb;
    if (v == "type") ok = SplitWords(rest, 1, &parsed.words, &parsed.text);
    else if (v == "click" || v == "rclick" || v == "key" || v == "answer") ok = SplitWords(rest, 1, &parsed.words, nullptr);
    else if (v == "select") ok = SplitWords(rest, 2, &parsed.words, nullptr);
    else if (v == "menu" || v == "input") ok = SplitWords(rest, 0, &parsed.words, &parsed.text);
    else if (v == "close" || v == "cancel") ok = true;
    else if (v == "clock") ok = SplitWords(rest, 2, &parsed.words, nullptr);
    else if (v == "wait") ok = SplitWords(rest, 1, &parsed.words, nullptr);
    else if (v == "expect") {
      std::vector<std::string> kind;
      ok = SplitWords(rest, 1, &kind, nullptr);
      if (ok) {
        const std::string& k = kind[0];
        std::string after = rest.substr(rest.find(k) + k.size());
        parsed.words.push_back(k);
        if (k == "box" || k == "box-caption" || k == "prompt" || k == "window" || k == "clipboard" || k == "browser" ||
            k == "file" || k == "no-file")
          ok = SplitWords(after, 0, &parsed.words, &parsed.text);
        else if (k == "password-prompt") ok = true;
        else if (k == "password-retry" || k == "exit") ok = SplitWords(after, 1, &parsed.words, nullptr);
        else if (k == "prop") ok = SplitWords(after, 2, &parsed.words, &parsed.text);
        else if (k == "rows") ok = SplitWords(after, 2, &parsed.words, nullptr);
        else if (k == "cell") ok = SplitWords(after, 3, &parsed.words, &parsed.text);
        else ok = false;
      }
    } else {
      ok = false;
    }
    if (!ok) throw ScriptFailure(number, "a script line", Quote(line));
    lines.push_back(std::move(parsed));
  }
  if (last_line != nullptr) *last_line = number;
  return lines;
}

ScriptedUser::ScriptedUser(const std::string& script) { lines_ = ParseScript(script, &last_line_); }

void ScriptedUser::Start(Desktop& desktop) {
  while (position_ < lines_.size() && lines_[position_].verb == "clock") Check(desktop, lines_[position_++], std::nullopt);
}

void ScriptedUser::Act(Desktop& desktop, WaitKind wait) {
  while (position_ < lines_.size()) {
    const ScriptLine& line = lines_[position_++];
    if (IsAction(line)) {
      Perform(desktop, wait, line);
      return;
    }
    Check(desktop, line, std::nullopt);
  }
  throw ScriptFailure(last_line_ + 1, "a line telling the person what to do", "the end of the script while " +
                                                                                 std::string(WaitName(wait)) + " waits: " +
                                                                                 desktop.DescribeScreen());
}

void ScriptedUser::Finish(Desktop& desktop, int exit_code) {
  while (position_ < lines_.size()) {
    const ScriptLine& line = lines_[position_++];
    if (!NeedsNoScreen(line))
      throw ScriptFailure(line.number, "the program to be running for " + Quote(line.verb + (line.words.empty() ? "" : " " + line.words[0])),
                          "it ended with exit code " + std::to_string(exit_code));
    Check(desktop, line, exit_code);
  }
}

WindowHandle ScriptedUser::Unit(Desktop& desktop, const ScriptLine& line, const std::string& name) {
  SimScreen screen(desktop, read_property);
  std::optional<CheckedScreen::UnitRef> unit = screen.FindUnit(name);
  if (!unit) throw ScriptFailure(line.number, "a unit named " + Quote(name), desktop.DescribeScreen());
  return static_cast<WindowHandle>(*unit);
}

void ScriptedUser::Check(Desktop& desktop, const ScriptLine& line, std::optional<int> exit_code) {
  if (line.verb == "clock") return desktop.SetClock(ClockOf(line));
  if (line.verb == "wait") return desktop.WaitSeconds(SecondsOf(line));
  SimScreen screen(desktop, read_property);
  CheckExpectation(line, exit_code, folder, screen);
}

void ScriptedUser::Perform(Desktop& desktop, WaitKind wait, const ScriptLine& line) {
  const std::string& v = line.verb;
  auto need = [&](bool ok, const char* what) {
    if (!ok) throw ScriptFailure(line.number, std::string(what) + " for " + Quote(v), WaitName(wait) + std::string(": ") + desktop.DescribeScreen());
  };
  try {
    if (v == "answer") {
      need(wait == WaitKind::kMessageBox, "a message box");
      static const std::pair<const char*, BoxAnswer> kAnswers[] = {
          {"OK", BoxAnswer::kOk},       {"Cancel", BoxAnswer::kCancel}, {"Yes", BoxAnswer::kYes},
          {"No", BoxAnswer::kNo},       {"Abort", BoxAnswer::kAbort},   {"Retry", BoxAnswer::kRetry},
          {"Ignore", BoxAnswer::kIgnore}};
      for (auto [name, answer] : kAnswers)
        if (line.words[0] == name) return desktop.AnswerBox(answer);
      throw ScriptFailure(line.number, "a button name", Quote(line.words[0]));
    }
    if (v == "input") {
      need(wait == WaitKind::kInputBox || wait == WaitKind::kPasswordDialog, "an input box or the password dialog");
      return desktop.AnswerDialog(Utf8ToGbk(line.text));
    }
    if (v == "cancel") {
      need(wait == WaitKind::kInputBox || wait == WaitKind::kPasswordDialog || wait == WaitKind::kPopupMenu,
           "an input box, the password dialog or a popup menu");
      if (wait == WaitKind::kPopupMenu) return desktop.DismissPopup();
      return desktop.AnswerDialog(std::nullopt);
    }
    if (v == "menu") {
      need(wait == WaitKind::kPopupMenu, "a popup menu");
      return desktop.ChoosePopup(Utf8ToGbk(line.text));
    }
    need(wait == WaitKind::kIdle, "the program waiting in a window");
    if (v == "type") return desktop.Type(Unit(desktop, line, line.words[0]), Utf8ToGbk(line.text));
    if (v == "click") return desktop.Click(Unit(desktop, line, line.words[0]));
    if (v == "rclick") return desktop.RightClick(Unit(desktop, line, line.words[0]));
    if (v == "select") return desktop.SelectRow(Unit(desktop, line, line.words[0]), WholeNumberOf(line, 1));
    if (v == "close") return desktop.CloseActive();
    if (v == "key") {
      const std::string& k = line.words[0];
      int key = k == "Tab" ? key::kTab : k == "Shift+Tab" ? (key::kTab | key::kShift) : k == "Enter" ? key::kEnter
              : k == "Esc" ? key::kEscape : 0;
      if (key == 0) throw ScriptFailure(line.number, "Tab, Shift+Tab, Enter or Esc", Quote(k));
      return desktop.PressKey(key);
    }
  } catch (const ActionRefused& refused) {
    throw ScriptFailure(line.number, "to " + Quote(v + (line.words.empty() ? "" : " " + line.words[0])),
                        std::string(refused.what()) + "; " + desktop.DescribeScreen());
  }
}

}  // namespace platform::sim
