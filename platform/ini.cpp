// The INI reader and writer, the same on every platform (see
// platform/ini.h): the files are read and written as bytes, so a value
// keeps its GBK bytes whatever code page the system uses.
//
// A file saved as UTF-8 by a text editor, with or without a byte-order mark,
// is read as UTF-8: names are matched and values converted between UTF-8 and
// GBK, and a write keeps the file UTF-8 (and its mark). A file is taken for
// UTF-8 when it starts with the mark, or when it holds bytes above 0x7F and
// all of them form valid UTF-8 (GBK text hardly ever does).
#include <string>
#include <vector>

#include "platform/ini.h"
#include "platform/ini_file.h"
#include "platform/system.h"

namespace platform {
namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

struct Line {
  std::string text;  // without the line ending
  std::string eol;   // "\r\n", "\n" or "" for a last line without one
};

struct IniText {
  bool utf8 = false;
  bool mark = false;  // starts with the UTF-8 byte-order mark
  std::vector<Line> lines;
};

enum class LineKind { kOther, kSection, kKey };

struct Parsed {
  LineKind kind = LineKind::kOther;
  std::string name;   // section name or key
  std::string value;  // key lines only
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string TrimBlanks(const std::string& s) {
  std::size_t begin = 0;
  std::size_t end = s.size();
  while (begin < end && IsBlank(s[begin])) ++begin;
  while (end > begin && IsBlank(s[end - 1])) --end;
  return s.substr(begin, end - begin);
}

// How the UTF-8 form of the bytes looks: whether they are valid UTF-8
// (shortest forms, no surrogates, nothing above U+10FFFF) and whether a
// character takes three or four bytes (every CJK character does).
struct Utf8Shape {
  bool valid = true;
  bool long_characters = false;
};
Utf8Shape ShapeOfUtf8(const std::string& s) {
  Utf8Shape shape;
  for (std::size_t i = 0; i < s.size();) {
    const auto lead = static_cast<unsigned char>(s[i]);
    std::size_t n = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3 : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return Utf8Shape{false, false};
    unsigned long cp = lead & (0x7F >> n);
    for (std::size_t k = 1; k < n; ++k) {
      const auto c = static_cast<unsigned char>(s[i + k]);
      if ((c & 0xC0) != 0x80) return Utf8Shape{false, false};
      cp = (cp << 6) | (c & 0x3F);
    }
    if ((n == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
      return Utf8Shape{false, false};
    shape.long_characters = shape.long_characters || n >= 3;
    i += n;
  }
  return shape;
}

// Lead bytes 0x81-0xFE, each followed by a trail byte 0x40-0xFE but 0x7F.
bool IsValidGbk(const std::string& s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto lead = static_cast<unsigned char>(s[i]);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    if (lead == 0x80 || lead == 0xFF || i + 1 >= s.size()) return false;
    const auto trail = static_cast<unsigned char>(s[i + 1]);
    if (trail < 0x40 || trail == 0x7F || trail == 0xFF) return false;
    i += 2;
  }
  return true;
}

// Whether bytes without a byte-order mark are read as UTF-8. Many short GBK
// texts are valid UTF-8 of two-byte characters (陆 is C2 BD, é is C3 A9),
// so a file that reads as GBK as well is UTF-8 only when it holds a
// character of three or more bytes, as Chinese text saved as UTF-8 does:
// a GBK user.ini of an older Notepad keeps its meaning.
bool ReadsAsUtf8(const std::string& bytes) {
  bool ascii = true;
  for (char c : bytes) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) return false;
  Utf8Shape shape = ShapeOfUtf8(bytes);
  return shape.valid && (shape.long_characters || !IsValidGbk(bytes));
}

// GBK to the file's encoding and back. False when the text does not
// convert without loss (GBK lacks a character, or the bytes are not text
// of the encoding they claim to be).
bool ToFileText(const IniText& file, const std::string& gbk, std::string* out) {
  if (!file.utf8) {
    *out = gbk;
    return true;
  }
  *out = GbkToUtf8(gbk);
  return Utf8ToGbk(*out) == gbk;
}
bool FromFileText(const IniText& file, const std::string& text, std::string* gbk) {
  if (!file.utf8) {
    *gbk = text;
    return true;
  }
  *gbk = Utf8ToGbk(text);
  return GbkToUtf8(*gbk) == text;
}

// Equal apart from ASCII case. In GBK the second byte of a double-byte
// character may look like an ASCII letter and is compared exactly; in UTF-8
// every byte of a multi-byte character is above 0x7F.
bool EqualNoCase(const std::string& a, const std::string& b, bool utf8) {
  if (a.size() != b.size()) return false;
  auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (!utf8 && (static_cast<unsigned char>(a[i]) & 0x80) != 0) {
      if (a[i] != b[i] || (i + 1 < a.size() && a[i + 1] != b[i + 1])) return false;
      ++i;
    } else if (fold(a[i]) != fold(b[i])) {
      return false;
    }
  }
  return true;
}

Parsed Parse(const Line& line) {
  Parsed parsed;
  std::string text = TrimBlanks(line.text);
  if (!text.empty() && text[0] == '[') {
    std::size_t close = text.find(']');
    parsed.kind = LineKind::kSection;
    parsed.name = TrimBlanks(text.substr(1, close == std::string::npos ? std::string::npos : close - 1));
    return parsed;
  }
  std::size_t equals = text.find('=');
  if (equals == std::string::npos) return parsed;
  parsed.kind = LineKind::kKey;
  parsed.name = TrimBlanks(text.substr(0, equals));
  parsed.value = TrimBlanks(text.substr(equals + 1));
  return parsed;
}

// False when the file exists but cannot be read; a missing file is empty.
bool Load(const char* file, IniText* text) {
  std::string content;
  bool exists = false;
  if (!ini_file::Load(file, &content, &exists)) return false;
  if (content.compare(0, 3, kByteOrderMark) == 0) {
    text->mark = true;
    text->utf8 = true;
    content.erase(0, 3);
  } else {
    text->utf8 = ReadsAsUtf8(content);
  }
  std::size_t start = 0;
  while (start < content.size()) {
    std::size_t newline = content.find('\n', start);
    Line line;
    if (newline == std::string::npos) {
      line.text = content.substr(start);
      start = content.size();
    } else {
      line.text = content.substr(start, newline - start);
      line.eol.push_back('\n');
      start = newline + 1;
    }
    if (!line.text.empty() && line.text.back() == '\r') {
      line.text.pop_back();
      line.eol.insert(0, 1, '\r');
    }
    text->lines.push_back(std::move(line));
  }
  return true;
}

bool Store(const char* file, const IniText& text) {
  std::string content;
  for (const Line& line : text.lines) content += line.text + line.eol;
  if (!text.utf8 && ReadsAsUtf8(content)) {
    // GBK bytes that the reader would take for UTF-8 (the UTF-8 of a
    // Chinese text is also valid GBK): the file goes over to UTF-8 with a
    // mark, and reads back as written.
    std::string utf8 = GbkToUtf8(content);
    if (Utf8ToGbk(utf8) == content) return ini_file::Store(file, std::string(kByteOrderMark) + utf8);
  }
  return ini_file::Store(file, text.mark ? std::string(kByteOrderMark) + content : content);
}

// The lines [first, end) of the first section of that name; first is its
// header. False when there is no such section.
bool FindSection(const IniText& text, const std::string& section, std::size_t* first, std::size_t* end) {
  const std::vector<Line>& lines = text.lines;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    Parsed header = Parse(lines[i]);
    if (header.kind != LineKind::kSection || !EqualNoCase(header.name, section, text.utf8)) continue;
    std::size_t j = i + 1;
    while (j < lines.size() && Parse(lines[j]).kind != LineKind::kSection) ++j;
    *first = i;
    *end = j;
    return true;
  }
  return false;
}

// Index of the first line in [first, end) holding the key, or end.
std::size_t FindKey(const IniText& text, std::size_t first, std::size_t end, const std::string& key, Parsed* found) {
  for (std::size_t i = first; i < end; ++i) {
    Parsed parsed = Parse(text.lines[i]);
    if (parsed.kind == LineKind::kKey && EqualNoCase(parsed.name, key, text.utf8)) {
      *found = parsed;
      return i;
    }
  }
  return end;
}

// Gives a line that new lines follow a full line end. A last line may end
// in "" or in a lone "\r", which the reader does not take as a line end: a
// line written after it would be read as part of it, and lost.
void EndLine(Line* line, const std::string& eol) {
  if (line->eol.empty() || line->eol.back() != '\n') line->eol = eol;
}

std::string Cut(std::string text, std::size_t buffer_size) {
  if (buffer_size == 0) return std::string();
  if (text.size() > buffer_size - 1) text.resize(buffer_size - 1);
  return text;
}

// The value of the key when the file holds one the notebook can use.
bool FindValue(const char* file, const char* section, const char* key, std::string* value) {
  IniText text;
  std::string section_name, key_name;
  std::size_t first = 0, end = 0;
  if (!Load(file, &text) || !ToFileText(text, TrimBlanks(section), &section_name) ||
      !ToFileText(text, TrimBlanks(key), &key_name) || !FindSection(text, section_name, &first, &end))
    return false;
  Parsed found;
  if (FindKey(text, first + 1, end, key_name, &found) == end) return false;
  std::string stored = found.value;
  if (stored.size() >= 2 && (stored[0] == '"' || stored[0] == '\'') && stored.back() == stored[0])
    stored = stored.substr(1, stored.size() - 2);
  // A value with a character GBK lacks has no GBK form: it is not there for
  // the notebook (a look-alike would name another file, "?" is a wildcard).
  return FromFileText(text, stored, value);
}

}  // namespace

std::string ReadIniString(const char* file, const char* section, const char* key, const char* default_value,
                          std::size_t buffer_size) {
  std::string value;
  if (FindValue(file, section, key, &value)) return Cut(value, buffer_size);
  std::string fallback = default_value != nullptr ? default_value : "";
  while (!fallback.empty() && fallback.back() == ' ') fallback.pop_back();
  return Cut(fallback, buffer_size);
}

bool WriteIniString(const char* file, const char* section, const char* key, const char* value) {
  IniText text;
  if (!Load(file, &text)) return false;
  std::vector<Line>& lines = text.lines;
  // New lines end the way the file's lines do; a lone "\r" is no line end
  // to the reader, so it never serves as one.
  std::string eol = "\r\n";
  for (const Line& line : lines)
    if (!line.eol.empty() && line.eol.back() == '\n') {
      eol = line.eol;
      break;
    }

  // Names and the value in the file's own encoding; a text that has no
  // form there is refused rather than written as something else.
  std::string section_name, key_name, stored;
  if (!ToFileText(text, TrimBlanks(section), &section_name)) return false;
  if (key != nullptr && !ToFileText(text, TrimBlanks(key), &key_name)) return false;
  if (value != nullptr && !ToFileText(text, value, &stored)) return false;
  std::size_t first = 0;
  std::size_t end = 0;
  bool has_section = FindSection(text, section_name, &first, &end);

  if (key == nullptr) {  // remove the whole section
    if (!has_section) return true;
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(first), lines.begin() + static_cast<std::ptrdiff_t>(end));
    return Store(file, text);
  }

  Parsed found;
  std::size_t at = has_section ? FindKey(text, first + 1, end, key_name, &found) : end;
  bool has_key = has_section && at != end;

  if (value == nullptr) {  // remove the key
    if (!has_key) return true;
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at));
    return Store(file, text);
  }

  if (has_key) {
    lines[at].text = found.name + "=" + stored;  // the key keeps its spelling in the file
  } else if (has_section) {
    // After the section's last non-empty line, before blank lines that
    // separate it from the next section.
    std::size_t insert = end;
    while (insert > first + 1 && TrimBlanks(lines[insert - 1].text).empty()) --insert;
    EndLine(&lines[insert - 1], eol);
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insert), Line{key_name + "=" + stored, eol});
  } else {
    if (!lines.empty()) EndLine(&lines.back(), eol);
    lines.push_back(Line{"[" + section_name + "]", eol});
    lines.push_back(Line{key_name + "=" + stored, eol});
  }
  return Store(file, text);
}

}  // namespace platform
