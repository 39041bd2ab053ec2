#include "platform/sim/script.h"

#include <cstdio>
#include <filesystem>
#include <sstream>

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

const char* const kActions[] = {"type", "click", "key", "close", "select", "rclick", "menu", "answer", "input", "cancel"};

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

std::string Quote(const std::string& utf8) { return "\"" + utf8 + "\""; }

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

bool ScriptedUser::IsAction(const ScriptLine& line) const {
  for (const char* action : kActions)
    if (line.verb == action) return true;
  return false;
}

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
    bool offscreen = line.verb == "clock" || line.verb == "wait" ||
                     (line.verb == "expect" && (line.words[0] == "exit" || line.words[0] == "file" ||
                                                line.words[0] == "no-file" || line.words[0] == "clipboard" ||
                                                line.words[0] == "browser"));
    if (!offscreen)
      throw ScriptFailure(line.number, "the program to be running for " + Quote(line.verb + (line.words.empty() ? "" : " " + line.words[0])),
                          "it ended with exit code " + std::to_string(exit_code));
    Check(desktop, line, exit_code);
  }
}

WindowHandle ScriptedUser::Unit(Desktop& desktop, const ScriptLine& line, const std::string& name) {
  WindowHandle handle = 0;
  if (name.size() > 2 && name[0] == '0' && (name[1] == 'x' || name[1] == 'X'))
    try {
      handle = desktop.FindUnitById(static_cast<std::uint32_t>(std::stoul(name.substr(2), nullptr, 16)));
    } catch (const std::logic_error&) {
      handle = 0;
    }
  else
    handle = desktop.FindUnit(Utf8ToGbk(name));
  if (handle == 0) throw ScriptFailure(line.number, "a unit named " + Quote(name), desktop.DescribeScreen());
  return handle;
}

void ScriptedUser::Check(Desktop& desktop, const ScriptLine& line, std::optional<int> exit_code) {
  try {
    Evaluate(desktop, line, exit_code);
  } catch (const std::logic_error&) {  // a number that does not parse
    throw ScriptFailure(line.number, "a number", Quote(line.verb + " " + (line.words.empty() ? "" : line.words.back())));
  }
}

void ScriptedUser::Evaluate(Desktop& desktop, const ScriptLine& line, std::optional<int> exit_code) {
  auto fail = [&](const std::string& expected, const std::string& saw) { throw ScriptFailure(line.number, expected, saw); };
  if (line.verb == "clock") {
    LocalTime t;
    if (std::sscanf(line.words[0].c_str(), "%d-%d-%d", &t.year, &t.month, &t.day) != 3 ||
        std::sscanf(line.words[1].c_str(), "%d:%d:%d", &t.hour, &t.minute, &t.second) != 3)
      fail("a date and time YYYY-MM-DD HH:MM:SS", Quote(line.words[0] + " " + line.words[1]));
    desktop.SetClock(t);
    return;
  }
  if (line.verb == "wait") {
    const std::string& n = line.words[0];
    std::size_t used = 0;
    unsigned long seconds = std::stoul(n, &used);  // throws for a non-number
    if (used != n.size() || n[0] == '-' || n[0] == '+') fail("a number of seconds", Quote(n));
    desktop.WaitSeconds(static_cast<std::uint32_t>(seconds > 0xFFFFFFFFul ? 0xFFFFFFFFul : seconds));
    return;
  }
  const std::string& kind = line.words[0];
  const std::string want = line.text;
  std::string screen = desktop.DescribeScreen();
  if (kind == "exit") {
    if (!exit_code) fail("the program to have ended", "it still running: " + screen);
    int code = std::stoi(line.words[1]);
    if (code != *exit_code && (code & 0xFF) != (*exit_code & 0xFF))
      fail("exit code " + line.words[1], "exit code " + std::to_string(*exit_code));
    return;
  }
  if (kind == "file" || kind == "no-file") {
    std::filesystem::path path = std::filesystem::path(std::u8string(folder.begin(), folder.end())) /
                                 std::filesystem::path(std::u8string(want.begin(), want.end()));
    bool exists = std::filesystem::exists(path);
    if (exists != (kind == "file")) fail((kind == "file" ? "a file " : "no file ") + Quote(want), exists ? "it there" : "none");
    return;
  }
  if (kind == "clipboard") {
    std::string have = desktop.clipboard() ? GbkToUtf8(*desktop.clipboard()) : std::string();
    // `expect clipboard` with no text: the clipboard holds nothing.
    if (have != want)
      fail("clipboard " + Quote(want), desktop.clipboard() ? Quote(have) : "an empty clipboard");
    return;
  }
  if (kind == "browser") {
    const auto& opened = desktop.opened_addresses();
    std::string have = opened.empty() ? std::string() : GbkToUtf8(opened.back());
    if (opened.empty() || have != want) fail("browser at " + Quote(want), opened.empty() ? "no address opened" : Quote(have));
    return;
  }
  if (kind == "box" || kind == "box-caption") {
    const auto& box = desktop.open_box();
    std::string have = box ? GbkToUtf8(kind == "box" ? box->text : box->caption) : std::string();
    if (!box || have != want) fail("message box " + std::string(kind == "box" ? "" : "caption ") + Quote(want), screen);
    return;
  }
  if (kind == "prompt") {
    const auto& input = desktop.open_input_box();
    if (!input || GbkToUtf8(input->prompt) != want) fail("input box " + Quote(want), screen);
    return;
  }
  if (kind == "password-prompt") {
    if (!desktop.open_password_dialog()) fail("the password dialog", screen);
    return;
  }
  if (kind == "password-retry") {
    const auto& dialog = desktop.open_password_dialog();
    char retry[128];
    std::snprintf(retry, sizeof retry, "密码错误，您还有 %d 次重新输入的机会。", std::stoi(line.words[1]));
    if (!dialog || dialog->message != retry)
      fail("the password dialog with " + line.words[1] + " chances left",
           dialog ? "message " + Quote(GbkToUtf8(dialog->message)) : screen);
    return;
  }
  if (kind == "window") {
    const SimWindow* active = desktop.Find(desktop.active());
    if (active == nullptr || GbkToUtf8(active->text) != want) fail("active window " + Quote(want), screen);
    return;
  }
  WindowHandle unit = Unit(desktop, line, line.words[1]);
  const SimWindow* window = desktop.Find(unit);
  if (kind == "prop") {
    int index = std::stoi(line.words[2]);
    std::optional<std::string> have = read_property ? read_property(window->window_id, window->unit_id, index) : std::nullopt;
    if (!have || *have != want)
      fail("property " + line.words[2] + " of " + line.words[1] + " = " + Quote(want), have ? Quote(*have) : "no value");
    return;
  }
  if (kind == "rows") {
    int want_rows = std::stoi(line.words[2]);
    if (static_cast<int>(window->rows.size()) != want_rows)
      fail(line.words[2] + " rows in " + line.words[1], std::to_string(window->rows.size()));
    return;
  }
  if (kind == "cell") {
    int row = std::stoi(line.words[2]), column = std::stoi(line.words[3]);
    std::string have;
    if (row >= 0 && row < static_cast<int>(window->rows.size()) && column >= 0 &&
        column < static_cast<int>(window->rows[static_cast<std::size_t>(row)].cells.size()))
      have = GbkToUtf8(window->rows[static_cast<std::size_t>(row)].cells[static_cast<std::size_t>(column)]);
    if (have != want) fail("cell " + line.words[2] + "," + line.words[3] + " of " + line.words[1] + " = " + Quote(want), Quote(have));
    return;
  }
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
    if (v == "select") return desktop.SelectRow(Unit(desktop, line, line.words[0]), std::stoi(line.words[1]));
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
  } catch (const std::invalid_argument&) {
    throw ScriptFailure(line.number, "a number", Quote(line.words.empty() ? v : line.words.back()));
  }
}

}  // namespace platform::sim
