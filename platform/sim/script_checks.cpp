#include "platform/sim/script_checks.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace platform::sim {
namespace {

const char* const kActions[] = {"type", "click", "key", "close", "select", "rclick", "menu", "answer", "input", "cancel"};

// A whole number in the line's word `index`; "x", "", "1x" and numbers
// beyond 64 bits are not one (long is 32 bits on Windows, so from_chars).
long long NumberIn(const ScriptLine& line, std::size_t index, long long lowest, long long highest) {
  const std::string& word = line.words.at(index);
  long long value = 0;
  const char* end = word.data() + word.size();
  std::from_chars_result read = std::from_chars(word.data(), end, value);
  if (word.empty() || read.ec != std::errc() || read.ptr != end || value < lowest || value > highest)
    throw ScriptFailure(line.number, "a number from " + std::to_string(lowest) + " to " + std::to_string(highest),
                        Quote(word));
  return value;
}

std::string Utf8Literal(const char8_t* text) { return reinterpret_cast<const char*>(text); }

}  // namespace

std::string Quote(const std::string& utf8) { return "\"" + utf8 + "\""; }

bool IsAction(const ScriptLine& line) {
  for (const char* action : kActions)
    if (line.verb == action) return true;
  return false;
}

bool NeedsNoScreen(const ScriptLine& line) {
  if (line.verb == "clock" || line.verb == "wait") return true;
  if (line.verb != "expect") return false;
  const std::string& kind = line.words[0];
  return kind == "exit" || kind == "file" || kind == "no-file" || kind == "clipboard" || kind == "browser";
}

LocalTime ClockOf(const ScriptLine& line) {
  LocalTime t;
  char rest = 0;
  if (std::sscanf(line.words[0].c_str(), "%d-%d-%d%c", &t.year, &t.month, &t.day, &rest) != 3 ||
      std::sscanf(line.words[1].c_str(), "%d:%d:%d%c", &t.hour, &t.minute, &t.second, &rest) != 3 || t.year < 1 ||
      t.year > 9999 || t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour < 0 || t.hour > 23 ||
      t.minute < 0 || t.minute > 59 || t.second < 0 || t.second > 59)
    throw ScriptFailure(line.number, "a date and time YYYY-MM-DD HH:MM:SS", Quote(line.words[0] + " " + line.words[1]));
  return t;
}

int WholeNumberOf(const ScriptLine& line, std::size_t index) {
  return static_cast<int>(NumberIn(line, index, INT32_MIN, INT32_MAX));
}

std::uint32_t SecondsOf(const ScriptLine& line) {
  const std::string& word = line.words[0];
  if (word.empty() || word[0] < '0' || word[0] > '9') throw ScriptFailure(line.number, "a number of seconds", Quote(word));
  return static_cast<std::uint32_t>(NumberIn(line, 0, 0, INT32_MAX));
}

bool IsUnitIdName(const std::string& name, std::uint32_t* id) {
  if (name.size() <= 2 || name[0] != '0' || (name[1] != 'x' && name[1] != 'X')) return false;
  const char* end = name.data() + name.size();
  std::from_chars_result read = std::from_chars(name.data() + 2, end, *id, 16);
  if (read.ec != std::errc() || read.ptr != end) *id = 0;
  return true;
}

void CheckExpectation(const ScriptLine& line, std::optional<int> exit_code, const std::string& folder,
                      CheckedScreen& screen) {
  auto fail = [&](const std::string& expected, const std::string& saw) { throw ScriptFailure(line.number, expected, saw); };
  const std::string& kind = line.words[0];
  const std::string& want = line.text;
  if (kind == "exit") {
    int code = WholeNumberOf(line, 1);
    if (!exit_code) fail("the program to have ended", "it still running: " + screen.Describe());
    if (code != *exit_code && (code & 0xFF) != (*exit_code & 0xFF))
      fail("exit code " + line.words[1], "exit code " + std::to_string(*exit_code));
    return;
  }
  if (kind == "file" || kind == "no-file") {
    std::filesystem::path path = std::filesystem::path(std::u8string(folder.begin(), folder.end())) /
                                 std::filesystem::path(std::u8string(want.begin(), want.end()));
    std::error_code error;
    bool exists = std::filesystem::exists(path, error);
    if (exists != (kind == "file")) fail((kind == "file" ? "a file " : "no file ") + Quote(want), exists ? "it there" : "none");
    return;
  }
  if (kind == "clipboard") {
    // `expect clipboard` with no text: the clipboard holds no text.
    std::optional<std::string> have = screen.ClipboardText();
    if (have.value_or(std::string()) != want) fail("clipboard " + Quote(want), have ? Quote(*have) : "an empty clipboard");
    return;
  }
  if (kind == "browser") {
    std::optional<std::string> have = screen.LastOpenedAddress();
    if (!have || *have != want) fail("browser at " + Quote(want), have ? Quote(*have) : "no address opened");
    return;
  }
  if (kind == "box" || kind == "box-caption") {
    std::optional<std::string> have = kind == "box" ? screen.MessageBoxText() : screen.MessageBoxCaption();
    if (!have || *have != want) fail("message box " + std::string(kind == "box" ? "" : "caption ") + Quote(want), screen.Describe());
    return;
  }
  if (kind == "prompt") {
    std::optional<std::string> have = screen.InputBoxPrompt();
    if (!have || *have != want) fail("input box " + Quote(want), screen.Describe());
    return;
  }
  if (kind == "password-prompt") {
    if (!screen.PasswordDialogMessage()) fail("the password dialog", screen.Describe());
    return;
  }
  if (kind == "password-retry") {
    char retry[128];
    std::snprintf(retry, sizeof retry, Utf8Literal(u8"密码错误，您还有 %d 次重新输入的机会。").c_str(), WholeNumberOf(line, 1));
    std::optional<std::string> have = screen.PasswordDialogMessage();
    if (!have || *have != retry)
      fail("the password dialog with " + line.words[1] + " chances left", have ? "message " + Quote(*have) : screen.Describe());
    return;
  }
  if (kind == "window") {
    std::optional<std::string> have = screen.ActiveWindowCaption();
    if (!have || *have != want) fail("active window " + Quote(want), screen.Describe());
    return;
  }
  std::optional<CheckedScreen::UnitRef> unit = screen.FindUnit(line.words[1]);
  if (!unit) fail("a unit named " + Quote(line.words[1]), screen.Describe());
  if (kind == "prop") {
    std::optional<std::string> have = screen.UnitProperty(*unit, WholeNumberOf(line, 2));
    if (!have || *have != want)
      fail("property " + line.words[2] + " of " + line.words[1] + " = " + Quote(want), have ? Quote(*have) : "no value");
    return;
  }
  if (kind == "rows") {
    int rows = screen.ListRows(*unit);
    if (rows != WholeNumberOf(line, 2)) fail(line.words[2] + " rows in " + line.words[1], std::to_string(rows));
    return;
  }
  if (kind == "cell") {
    std::string have = screen.ListCell(*unit, WholeNumberOf(line, 2), WholeNumberOf(line, 3));
    if (have != want) fail("cell " + line.words[2] + "," + line.words[3] + " of " + line.words[1] + " = " + Quote(want), Quote(have));
    return;
  }
  fail("a check the desktop knows", Quote(kind));
}

}  // namespace platform::sim
