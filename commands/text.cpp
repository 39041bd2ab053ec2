// TextLength, the blank-stripping routine behind Trim, and ReplaceText.
#include "commands/text.h"

#include <cstring>

#include "commands/byte_buffer.h"
#include "commands/gbk.h"
#include "runtime/helpers.h"

namespace commands {
namespace {

const char* TextArgument(const rt::Value& value) {
  const char* text = value.text();
  return text != nullptr ? text : "";
}

bool Present(std::int32_t argc, const rt::Value* argv, std::int32_t index) {
  return argc > index && !argv[index].omitted();
}

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Does `find` (f bytes) stand at `at`? The comparison walks the text's
// characters: a two-byte character must match both bytes exactly and lie
// wholly inside the match, so a match never ends inside a character and
// the case folding never touches the second byte of a character (many of
// those are ASCII letters).
bool MatchesAt(const char* at, const char* find, std::size_t f, bool fold) {
  std::size_t k = 0;
  while (k < f) {
    if (IsLeadByte(at[k])) {
      if (k + 1 >= f || at[k] != find[k] || at[k + 1] != find[k + 1]) return false;
      k += 2;
    } else {
      if (fold ? FoldAscii(at[k]) != FoldAscii(find[k]) : at[k] != find[k]) return false;
      ++k;
    }
  }
  return true;
}

}  // namespace

void TextLength(rt::Value* result, std::int32_t, rt::Value* argv) {
  *result = rt::Value::Int(static_cast<std::int32_t>(rt::TextByteLength(argv[0].text())));
}

char* StripBlanks(const char* text, StripMode mode) {
  if (text == nullptr) return nullptr;
  std::size_t n = std::strlen(text);
  std::size_t begin = 0;
  std::size_t end = n;

  if (mode == StripMode::kLeading || mode == StripMode::kBothEnds) {
    while (begin < n) {
      if (text[begin] == ' ') {
        ++begin;
      } else if (begin + 1 < n && IsFullWidthSpace(text + begin)) {
        begin += 2;
      } else {
        break;
      }
    }
  }

  if (mode == StripMode::kTrailing || mode == StripMode::kBothEnds) {
    std::size_t run_start = begin;
    bool in_run = false;
    bool lone_lead = false;
    for (std::size_t i = begin; i < n;) {
      bool blank;
      std::size_t width = 1;
      if (IsLeadByte(text[i])) {
        if (i + 1 >= n) {
          // A lead byte with nothing after it is no character: drop it and
          // keep what stands before it, blanks included.
          end = i;
          lone_lead = true;
          break;
        }
        blank = IsFullWidthSpace(text + i);
        width = 2;
      } else {
        blank = text[i] == ' ';
      }
      if (blank && !in_run) run_start = i;
      in_run = blank;
      i += width;
    }
    if (!lone_lead && in_run) end = run_start;
  }

  if (mode == StripMode::kEverywhere) {
    ByteBuffer out(n);
    for (std::size_t i = 0; i < n;) {
      if (IsLeadByte(text[i])) {
        if (i + 1 >= n) break;
        if (!IsFullWidthSpace(text + i)) out.Append(text + i, 2);
        i += 2;
      } else {
        if (text[i] != ' ') out.Push(text[i]);
        ++i;
      }
    }
    return out.ToText();
  }

  return end > begin ? rt::CopyTextN(text + begin, static_cast<std::int64_t>(end - begin)) : nullptr;
}

void Trim(rt::Value* result, std::int32_t, rt::Value* argv) {
  *result = rt::Value::Text(StripBlanks(argv[0].text(), StripMode::kBothEnds));
}

void ReplaceText(rt::Value* result, std::int32_t argc, rt::Value* argv) {
  const char* text = TextArgument(argv[0]);
  const char* find = TextArgument(argv[1]);
  const char* replacement = Present(argc, argv, 2) ? TextArgument(argv[2]) : "";
  std::int64_t start = Present(argc, argv, 3) ? static_cast<std::int64_t>(argv[3].as_int()) - 1 : 0;
  if (start < 0) start = 0;
  bool limited = Present(argc, argv, 4);
  std::int32_t count = limited ? argv[4].as_int() : 0;
  bool fold = !(Present(argc, argv, 5) && argv[5].lo != 0);

  std::size_t t = std::strlen(text);
  std::size_t f = std::strlen(find);
  std::size_t r = std::strlen(replacement);
  *result = rt::Value::Text(nullptr);
  if (t == 0 || f == 0 || static_cast<std::uint64_t>(start) >= t || (limited && count == 0)) {
    result->set_pointer(rt::CopyText(text));
    return;
  }

  // The start position counts bytes; one that falls on the second byte of a
  // character moves on to the next character, so the scan stays aligned.
  std::size_t pos = 0;
  while (pos < static_cast<std::size_t>(start)) pos += IsLeadByte(text[pos]) && pos + 1 < t ? 2 : 1;
  if (pos >= t) {
    result->set_pointer(rt::CopyText(text));
    return;
  }

  ByteBuffer out(t + 16);
  out.Append(text, pos);
  while (t - pos >= f) {
    if (MatchesAt(text + pos, find, f, fold)) {
      out.Append(replacement, r);
      pos += f;
      if (limited && --count == 0) break;
    } else if (IsLeadByte(text[pos])) {
      if (pos + 1 >= t) {  // a lone lead byte at the end is dropped
        pos = t;
        break;
      }
      out.Append(text + pos, 2);
      pos += 2;
    } else {
      out.Push(text[pos]);
      ++pos;
    }
  }
  out.Append(text + pos, t - pos);
  result->set_pointer(out.ToText());
}

}  // namespace commands
