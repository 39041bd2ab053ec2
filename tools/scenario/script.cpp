#include "tools/scenario/script.h"

#include <charconv>
#include <cstdio>
#include <sstream>
#include <system_error>

#include "platform/system.h"
#include "platform/window_system.h"

namespace scenario {
namespace {

using platform::BoxAnswer;
const std::pair<const char*, BoxAnswer> kButtons[] = {
    {"OK", BoxAnswer::kOk},       {"Cancel", BoxAnswer::kCancel}, {"Yes", BoxAnswer::kYes},      {"No", BoxAnswer::kNo},
    {"Abort", BoxAnswer::kAbort}, {"Retry", BoxAnswer::kRetry},   {"Ignore", BoxAnswer::kIgnore}};

const char* const kActions[] = {"type",   "click", "key",  "close", "select", "dclick", "header", "hover",
                                "check",  "rename", "spin", "rclick", "drag", "menu", "answer", "input", "cancel"};

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

// The words of an `expect` line after its kind.
bool SplitCheck(const std::string& kind, const std::string& after, ScriptLine* parsed) {
  if (kind == "box" || kind == "box-caption" || kind == "prompt" || kind == "window" || kind == "clipboard" ||
      kind == "browser" || kind == "file" || kind == "no-file")
    return SplitWords(after, 0, &parsed->words, &parsed->text);
  if (kind == "password-prompt") return true;
  if (kind == "password-retry" || kind == "exit") return SplitWords(after, 1, &parsed->words, nullptr);
  if (kind == "prop") return SplitWords(after, 2, &parsed->words, &parsed->text);
  if (kind == "rows") return SplitWords(after, 2, &parsed->words, nullptr);
  if (kind == "least-height") return SplitWords(after, 1, &parsed->words, nullptr);
  if (kind == "cell") return SplitWords(after, 3, &parsed->words, &parsed->text);
  if (kind == "pixel") return SplitWords(after, 4, &parsed->words, nullptr);
  return false;
}

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
    else if (v == "select" || v == "dclick" || v == "header" || v == "hover" || v == "check" ||
             v == "spin")
      ok = SplitWords(rest, 2, &parsed.words, nullptr);
    else if (v == "drag") ok = SplitWords(rest, 3, &parsed.words, nullptr);
    else if (v == "rename") ok = SplitWords(rest, 2, &parsed.words, &parsed.text);
    else if (v == "menu" || v == "input") ok = SplitWords(rest, 0, &parsed.words, &parsed.text);
    else if (v == "close" || v == "cancel" || v == "lock-session") ok = true;
    else if (v == "clock") ok = SplitWords(rest, 2, &parsed.words, nullptr);
    else if (v == "wait") ok = SplitWords(rest, 1, &parsed.words, nullptr);
    else if (v == "expect") {
      std::vector<std::string> kind;
      ok = SplitWords(rest, 1, &kind, nullptr);
      if (ok) {
        parsed.words.push_back(kind[0]);
        ok = SplitCheck(kind[0], rest.substr(rest.find(kind[0]) + kind[0].size()), &parsed);
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

platform::LocalTime ClockOf(const ScriptLine& line) {
  platform::LocalTime t;
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

int DistanceOf(const ScriptLine& line, std::size_t index) {
  return static_cast<int>(NumberIn(line, index, -kLongestDistance, kLongestDistance));
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

std::optional<platform::BoxAnswer> ButtonNamed(const std::string& name) {
  for (auto [button, answer] : kButtons)
    if (name == button) return answer;
  return std::nullopt;
}

const char* ButtonName(platform::BoxAnswer answer) {
  for (auto [button, known] : kButtons)
    if (answer == known) return button;
  return "?";
}

std::optional<int> KeyNamed(const std::string& name) {
  namespace key = platform::key;
  static const std::pair<const char*, int> kKeys[] = {
      {"Tab", key::kTab},     {"Shift+Tab", key::kTab | key::kShift}, {"Enter", key::kEnter},
      {"Esc", key::kEscape},  {"Shift+F10", key::kF10 | key::kShift},   {"Apps", key::kApps}};
  for (auto [word, code] : kKeys)
    if (name == word) return code;
  return std::nullopt;
}

namespace {

// The bytes of the UTF-8 sequence at text[at] (1 for a byte that starts none).
std::size_t SequenceLength(const std::string& text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  std::size_t n = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3 : lead >= 0xF0 && lead <= 0xF4 ? 4 : 1;
  return at + n <= text.size() ? n : 1;
}

}  // namespace

TypedText TypeableText(const std::string& utf8) {
  TypedText typed;
  for (std::size_t at = 0; at < utf8.size();) {
    if (utf8[at] == '\r' || utf8[at] == '\n') {
      typed.gbk += "\r\n";
      at += utf8.compare(at, 2, "\r\n") == 0 ? 2 : 1;
      continue;
    }
    const std::size_t n = SequenceLength(utf8, at);
    const std::string character = utf8.substr(at, n);
    at += n;
    if (n == 1 && static_cast<unsigned char>(character[0]) < 0x80) {
      typed.gbk += character;
      continue;
    }
    // Held exactly when it comes back unchanged: a character the code page
    // lacks turns into "?" or a look-alike.
    std::string gbk = platform::Utf8ToGbk(character);
    if (!gbk.empty() && platform::GbkToUtf8(gbk) == character) {
      typed.gbk += gbk;
    } else {
      typed.refused.push_back(character);
    }
  }
  return typed;
}

std::string DescribeRefused(const std::vector<std::string>& refused) {
  std::string out;
  for (const std::string& character : refused) {
    // The code point, from the UTF-8 sequence.
    const auto lead = static_cast<unsigned char>(character[0]);
    std::size_t n = character.size();
    unsigned long cp = n == 1 ? lead : lead & (0x7F >> n);
    for (std::size_t i = 1; i < n; ++i) cp = (cp << 6) | (static_cast<unsigned char>(character[i]) & 0x3F);
    char code[16];
    std::snprintf(code, sizeof code, "U+%04lX", cp);
    if (!out.empty()) out += ", ";
    out += character + " " + code;
  }
  return out;
}

}  // namespace scenario
