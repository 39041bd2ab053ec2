#include "tools/scenario/checks.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/window_system.h"
#include "ui/unit.h"
#include "ui/unit_numbers.h"

namespace scenario {
namespace {

std::string Utf8Literal(const char8_t* text) { return reinterpret_cast<const char*>(text); }

// Binary property data from the lower-case hexadecimal it is read as.
std::string FromHex(const std::string& hex) {
  auto digit = [](char c) { return c <= '9' ? c - '0' : c - 'a' + 10; };
  std::string bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes += static_cast<char>(digit(hex[i]) << 4 | digit(hex[i + 1]));
  return bytes;
}

std::string Hex6(std::uint32_t colour) {
  char text[8];
  std::snprintf(text, sizeof text, "%06X", static_cast<unsigned>(colour & 0xFFFFFF));
  return text;
}

// The colour word of `expect pixel`: six hexadecimal digits RRGGBB, or
// "system" for the desktop's own face colour.
std::uint32_t ColourNamed(const ScriptLine& line, const std::string& word, Person& person) {
  if (word == "system") return person.FaceColour();
  std::uint32_t colour = 0;
  bool hex = word.size() == 6;
  for (char c : word) {
    int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    if (digit < 0) hex = false;
    colour = colour << 4 | static_cast<std::uint32_t>(digit & 0xF);
  }
  if (!hex) throw ScriptFailure(line.number, "a colour RRGGBB or system", Quote(word));
  return colour;
}

}  // namespace

void CheckExpectation(const ScriptLine& line, std::optional<int> exit_code, const std::string& folder, Screen& screen) {
  auto fail = [&](const std::string& expected, const std::string& saw) { throw ScriptFailure(line.number, expected, saw); };
  Person& person = screen.person();
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
    std::optional<std::string> have = person.ClipboardText();
    if (have.value_or(std::string()) != want) fail("clipboard " + Quote(want), have ? Quote(*have) : "an empty clipboard");
    return;
  }
  if (kind == "browser") {
    std::optional<std::string> have = person.LastOpenedAddress();
    if (!have || *have != want) fail("browser at " + Quote(want), have ? Quote(*have) : "no address opened");
    return;
  }
  if (kind == "box" || kind == "box-caption") {
    std::optional<ShownMessageBox> box = person.OpenMessageBox();
    if (!box || (kind == "box" ? box->text : box->caption) != want)
      fail("message box " + std::string(kind == "box" ? "" : "caption ") + Quote(want), screen.Describe());
    return;
  }
  if (kind == "prompt") {
    std::optional<std::string> have = person.InputBoxPrompt();
    if (!have || *have != want) fail("input box " + Quote(want), screen.Describe());
    return;
  }
  if (kind == "password-prompt") {
    if (!person.PasswordDialogMessage()) fail("the password dialog", screen.Describe());
    return;
  }
  if (kind == "password-retry") {
    char retry[128];
    std::snprintf(retry, sizeof retry, Utf8Literal(u8"密码错误，您还有 %d 次重新输入的机会。").c_str(), WholeNumberOf(line, 1));
    std::optional<std::string> have = person.PasswordDialogMessage();
    if (!have || *have != retry)
      fail("the password dialog with " + line.words[1] + " chances left", have ? "message " + Quote(*have) : screen.Describe());
    return;
  }
  if (kind == "window") {
    std::optional<std::string> have = screen.ActiveWindowCaption();
    if (!have || *have != want) fail("active window " + Quote(want), screen.Describe());
    return;
  }
  if (kind == "pixel") {
    const int x = WholeNumberOf(line, 2), y = WholeNumberOf(line, 3);
    const std::uint32_t colour = ColourNamed(line, line.words[4], person);
    platform::WindowHandle unit = screen.FindUnit(line.words[1]);
    if (unit == 0) fail("a unit named " + Quote(line.words[1]), screen.Describe());
    std::optional<std::uint32_t> have = person.ColourAt(unit, x, y);
    const std::string where = " at " + line.words[2] + "," + line.words[3] + " of " + line.words[1];
    if (!have) fail("colour " + Hex6(colour) + where, "a point outside its client area");
    if (*have != colour) fail("colour " + Hex6(colour) + where, Hex6(*have));
    return;
  }
  platform::WindowHandle unit = screen.FindUnit(line.words[1]);
  if (unit == 0) fail("a unit named " + Quote(line.words[1]), screen.Describe());
  if (kind == "prop") {
    std::optional<std::string> have = screen.UnitProperty(unit, WholeNumberOf(line, 2));
    if (!have || *have != want)
      fail("property " + line.words[2] + " of " + line.words[1] + " = " + Quote(want), have ? Quote(*have) : "no value");
    return;
  }
  if (kind == "rows") {
    int rows = screen.ListRows(unit);
    if (rows != WholeNumberOf(line, 2)) fail(line.words[2] + " rows in " + line.words[1], std::to_string(rows));
    return;
  }
  if (kind == "cell") {
    std::string have = screen.ListCell(unit, WholeNumberOf(line, 2), WholeNumberOf(line, 3));
    if (have != want) fail("cell " + line.words[2] + "," + line.words[3] + " of " + line.words[1] + " = " + Quote(want), Quote(have));
    return;
  }
  if (kind == "least-height") {
    std::optional<ui::UnitIdentity> identity = screen.Identify(unit);
    std::optional<std::string> font = screen.UnitProperty(unit, ui::prop::edit::kFont);
    std::optional<std::string> height = screen.UnitProperty(unit, ui::prop::common::kHeight);
    platform::WindowSystem* system = platform::CurrentWindowSystem();
    if (!identity || identity->type_code != ui::type_code::kEditBox || !font || !height || system == nullptr)
      fail(line.words[1] + " to be an edit box", screen.Describe());
    const int least = system->FontLineHeight(FromHex(*font)) + 2 * system->EdgeHeight();
    if (*height != std::to_string(least))
      fail(line.words[1] + " " + std::to_string(least) + " pixels tall (a line of its font and two edges)", *height);
    return;
  }
  fail("a check the desktop knows", Quote(kind));
}

}  // namespace scenario
