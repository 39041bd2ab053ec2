#include "tools/qkdb/gbk_text.h"

#include <cstdio>

#include "platform/system.h"

namespace qkdb {
namespace {

// Bytes of the UTF-8 sequence that starts with `lead`; 0 when it cannot
// start one.
std::size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

// The code point of the well-formed sequence at text[at], or -1.
long DecodeAt(std::string_view text, std::size_t at, std::size_t* length) {
  const auto lead = static_cast<unsigned char>(text[at]);
  std::size_t n = SequenceLength(lead);
  if (n == 0 || at + n > text.size()) return -1;
  long cp = n == 1 ? lead : lead & (0x7F >> n);
  for (std::size_t i = 1; i < n; ++i) {
    const auto c = static_cast<unsigned char>(text[at + i]);
    if ((c & 0xC0) != 0x80) return -1;
    cp = (cp << 6) | (c & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
  static const long kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kSmallest[n] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return -1;
  *length = n;
  return cp;
}

// A text converts without loss when it comes back unchanged: that catches
// characters GBK lacks (turned into "?") and best-fit look-alikes alike.
bool RoundTrips(std::string_view utf8, std::string* gbk) {
  *gbk = platform::Utf8ToGbk(std::string(utf8));
  return platform::GbkToUtf8(*gbk) == utf8;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  for (std::size_t at = 0, n = 0; at < bytes.size(); at += n)
    if (DecodeAt(bytes, at, &n) < 0) return false;
  return true;
}

bool ToGbkExactly(std::string_view utf8, std::string* gbk, std::string* refused) {
  bool ascii = true;
  for (char c : utf8) ascii = ascii && static_cast<unsigned char>(c) < 0x80 && c != 0;
  if (ascii) {
    gbk->assign(utf8);
    return true;
  }
  if (IsValidUtf8(utf8) && utf8.find('\0') == std::string_view::npos && RoundTrips(utf8, gbk)) return true;
  // Find the character to name.
  std::string ignored;
  for (std::size_t at = 0, n = 0; at < utf8.size(); at += n) {
    long cp = DecodeAt(utf8, at, &n);
    if (cp < 0) {
      *refused = "bytes that are not UTF-8";
      return false;
    }
    if (cp == 0 || (cp >= 0x80 && !RoundTrips(utf8.substr(at, n), &ignored))) {
      char name[24];
      std::snprintf(name, sizeof name, "U+%04lX", static_cast<unsigned long>(cp));
      *refused = name;
      if (cp >= 0x20) {
        *refused += " ";
        refused->append(utf8.substr(at, n));
      }
      return false;
    }
  }
  *refused = "a character that GBK lacks";
  return false;
}

bool FromGbkExactly(std::string_view gbk, std::string* utf8) {
  *utf8 = platform::GbkToUtf8(std::string(gbk));
  return platform::Utf8ToGbk(*utf8) == gbk;
}

std::size_t GbkCutPoint(std::string_view gbk, std::size_t max_bytes) {
  std::size_t at = 0;
  while (at < gbk.size()) {
    std::size_t n = static_cast<unsigned char>(gbk[at]) >= 0x81 && at + 1 < gbk.size() ? 2 : 1;
    if (at + n > max_bytes) break;
    at += n;
  }
  return at;
}

}  // namespace qkdb
