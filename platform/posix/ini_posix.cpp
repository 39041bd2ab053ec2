// Our own INI reader and writer with the private-profile behaviour (see
// platform/ini.h). Every write rewrites the file through a temporary file
// and a rename, so a failed write never leaves half a file.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/ini.h"
#include "platform/system.h"

namespace platform {
namespace {

struct Line {
  std::string text;  // without the line ending
  std::string eol;   // "\r\n", "\n" or "" for a last line without one
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

// Equal apart from ASCII case; the second byte of a GBK character is
// compared exactly.
bool EqualNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
  for (std::size_t i = 0; i < a.size(); ++i) {
    if ((static_cast<unsigned char>(a[i]) & 0x80) != 0) {
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

std::string NativePath(const char* file) {
  std::string path = GbkToUtf8(file);
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

// False when the file exists but cannot be read; a missing file is empty.
bool Load(const std::string& path, std::vector<Line>* lines, bool* exists) {
  lines->clear();
  std::FILE* f = std::fopen(path.c_str(), "rb");
  *exists = f != nullptr;
  if (f == nullptr) return errno == ENOENT;
  std::string content;
  char chunk[4096];
  std::size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) content.append(chunk, n);
  bool ok = std::ferror(f) == 0;
  std::fclose(f);
  std::size_t start = 0;
  while (start < content.size()) {
    std::size_t newline = content.find('\n', start);
    Line line;
    if (newline == std::string::npos) {
      line.text = content.substr(start);
      start = content.size();
    } else {
      line.text = content.substr(start, newline - start);
      line.eol = "\n";
      start = newline + 1;
    }
    if (!line.text.empty() && line.text.back() == '\r') {
      line.text.pop_back();
      line.eol = "\r" + line.eol;
    }
    lines->push_back(std::move(line));
  }
  return ok;
}

// The mode a rewritten file gets: an existing file's own, owner-only for a
// new one (user.ini holds the notebook's settings).
mode_t ModeFor(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) return info.st_mode & 07777;
  return S_IRUSR | S_IWUSR;
}

bool Store(const std::string& path, const std::vector<Line>& lines) {
  std::string temporary = path + ".~tmp";
  int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, S_IRUSR | S_IWUSR);
  if (fd < 0) return false;
  // fchmod, not the open's mode: that one is cut by the umask.
  std::FILE* f = ::fchmod(fd, ModeFor(path)) == 0 ? ::fdopen(fd, "wb") : nullptr;
  if (f == nullptr) {
    ::close(fd);
    std::remove(temporary.c_str());
    return false;
  }
  bool ok = true;
  for (const Line& line : lines) {
    ok = ok && std::fwrite(line.text.data(), 1, line.text.size(), f) == line.text.size();
    ok = ok && std::fwrite(line.eol.data(), 1, line.eol.size(), f) == line.eol.size();
  }
  ok = std::fflush(f) == 0 && ok;
  ok = std::fclose(f) == 0 && ok;
  if (ok && std::rename(temporary.c_str(), path.c_str()) == 0) return true;
  std::remove(temporary.c_str());
  return false;
}

// The lines [first, end) of the first section of that name; first is its
// header. False when there is no such section.
bool FindSection(const std::vector<Line>& lines, const std::string& section, std::size_t* first, std::size_t* end) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    Parsed header = Parse(lines[i]);
    if (header.kind != LineKind::kSection || !EqualNoCase(header.name, section)) continue;
    std::size_t j = i + 1;
    while (j < lines.size() && Parse(lines[j]).kind != LineKind::kSection) ++j;
    *first = i;
    *end = j;
    return true;
  }
  return false;
}

// Index of the first line in [first, end) holding the key, or end.
std::size_t FindKey(const std::vector<Line>& lines, std::size_t first, std::size_t end, const std::string& key,
                    Parsed* found) {
  for (std::size_t i = first; i < end; ++i) {
    Parsed parsed = Parse(lines[i]);
    if (parsed.kind == LineKind::kKey && EqualNoCase(parsed.name, key)) {
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

}  // namespace

std::string ReadIniString(const char* file, const char* section, const char* key, const char* default_value,
                              std::size_t buffer_size) {
  std::vector<Line> lines;
  bool exists = false;
  std::size_t first = 0;
  std::size_t end = 0;
  if (Load(NativePath(file), &lines, &exists) && FindSection(lines, TrimBlanks(section), &first, &end)) {
    Parsed found;
    if (FindKey(lines, first + 1, end, TrimBlanks(key), &found) != end) {
      std::string value = found.value;
      if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
        value = value.substr(1, value.size() - 2);
      return Cut(value, buffer_size);
    }
  }
  std::string fallback = default_value != nullptr ? default_value : "";
  while (!fallback.empty() && fallback.back() == ' ') fallback.pop_back();
  return Cut(fallback, buffer_size);
}

bool WriteIniString(const char* file, const char* section, const char* key, const char* value) {
  std::string path = NativePath(file);
  std::vector<Line> lines;
  bool exists = false;
  if (!Load(path, &lines, &exists)) return false;
  // New lines end the way the file's lines do; a lone "\r" is no line end
  // to the reader, so it never serves as one.
  std::string eol = "\r\n";
  for (const Line& line : lines)
    if (!line.eol.empty() && line.eol.back() == '\n') {
      eol = line.eol;
      break;
    }

  std::string section_name = TrimBlanks(section);
  std::size_t first = 0;
  std::size_t end = 0;
  bool has_section = FindSection(lines, section_name, &first, &end);

  if (key == nullptr) {  // remove the whole section
    if (!has_section) return true;
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(first), lines.begin() + static_cast<std::ptrdiff_t>(end));
    return Store(path, lines);
  }

  std::string key_name = TrimBlanks(key);
  Parsed found;
  std::size_t at = has_section ? FindKey(lines, first + 1, end, key_name, &found) : end;
  bool has_key = has_section && at != end;

  if (value == nullptr) {  // remove the key
    if (!has_key) return true;
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at));
    return Store(path, lines);
  }

  if (has_key) {
    lines[at].text = found.name + "=" + value;  // the key keeps its spelling in the file
  } else if (has_section) {
    // After the section's last non-empty line, before blank lines that
    // separate it from the next section.
    std::size_t insert = end;
    while (insert > first + 1 && TrimBlanks(lines[insert - 1].text).empty()) --insert;
    EndLine(&lines[insert - 1], eol);
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insert), Line{key_name + "=" + value, eol});
  } else {
    if (!lines.empty()) EndLine(&lines.back(), eol);
    lines.push_back(Line{"[" + section_name + "]", eol});
    lines.push_back(Line{key_name + "=" + value, eol});
  }
  return Store(path, lines);
}

}  // namespace platform
