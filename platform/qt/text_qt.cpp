#include "platform/qt/text_qt.h"

#include <iconv.h>

#include <QByteArray>

#include <array>
#include <cstdint>
#include <cstring>

#include "platform/system.h"

namespace platform::qt {
namespace {

// Width of each BMP code point in GBK, learned by decoding every double-byte
// code once: a character counts as GBK's only when some code reads back as
// it, so a character the converter would map to a look-alike is refused.
// The same converter turns the boxes' texts into GBK (platform/system.h).
class GbkTable {
 public:
  GbkTable() {
    widths_.fill(0);
    for (char32_t c = 0; c < 0x80; ++c) widths_[c] = 1;
    iconv_t cd = iconv_open("UTF-32LE", "GBK");
    if (cd == reinterpret_cast<iconv_t>(-1)) return;
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
      for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
        if (trail == 0x7F) continue;
        char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        char out[8] = {};
        char* in_ptr = in;
        char* out_ptr = out;
        std::size_t in_left = 2, out_left = sizeof out;
        if (iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left) == static_cast<std::size_t>(-1)) {
          iconv(cd, nullptr, nullptr, nullptr, nullptr);
          continue;
        }
        if (out_ptr - out != 4) continue;
        std::uint32_t code = 0;
        std::memcpy(&code, out, 4);  // little-endian as asked for
        if (code >= 0x80 && code < widths_.size() && widths_[code] == 0) widths_[code] = 2;
      }
    }
    iconv_close(cd);
  }

  int Width(char32_t c) const { return c < widths_.size() ? widths_[c] : 0; }

 private:
  std::array<std::uint8_t, 0x10000> widths_;
};

const GbkTable& Table() {
  static const GbkTable table;
  return table;
}

char32_t ToCase(char32_t c, int mode) {
  if (mode == 1 && c >= U'A' && c <= U'Z') return c + 32;
  if (mode == 2 && c >= U'a' && c <= U'z') return c - 32;
  return c;
}

}  // namespace

QString FromGbk(const std::string& gbk) {
  std::string utf8 = GbkToUtf8(gbk);
  QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
  std::fill(utf8.begin(), utf8.end(), '\0');  // it may have been a password
  return text;
}

std::string ToGbk(const QString& text) {
  QByteArray utf8 = text.toUtf8();
  std::string gbk = Utf8ToGbk(std::string(utf8.constData(), static_cast<std::size_t>(utf8.size())));
  utf8.fill('\0');
  return gbk;
}

int GbkWidth(char32_t c) { return Table().Width(c); }

int GbkLength(QStringView text) {
  int bytes = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    char16_t c = text[i].unicode();
    if (c == u'\r') {
      bytes += 2;
      if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    } else if (c == u'\n') {
      bytes += 2;
    } else if (QChar::isHighSurrogate(c) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) {
      ++i;  // outside the BMP: GBK has none of these
    } else {
      bytes += GbkWidth(c);
    }
  }
  return bytes;
}

bool FitsGbk(QStringView text) {
  for (char32_t c : text.toUcs4())
    if (c != U'\r' && c != U'\n' && GbkWidth(c) == 0) return false;
  return true;
}

Insertion FilterInsertion(QStringView text, const InsertRules& rules, int room) {
  Insertion result;
  QList<uint> characters = text.toUcs4();
  int used = 0;
  for (qsizetype i = 0; i < characters.size(); ++i) {
    char32_t c = characters[i];
    if (c == U'\r' || c == U'\n') {
      if (c == U'\r' && i + 1 < characters.size() && characters[i + 1] == U'\n') ++i;  // one line break
      if (!rules.multi_line) break;  // a single line ends at its first break
      if (room >= 0 && used + 2 > room) {
        result.refused = true;
        break;
      }
      used += 2;
      result.text += u'\n';
      continue;
    }
    c = ToCase(c, rules.case_mode);
    int width = GbkWidth(c);
    if (width == 0 || (rules.accepts && !rules.accepts(c))) {
      result.refused = true;
      continue;
    }
    if (room >= 0 && used + width > room) {
      result.refused = true;
      break;
    }
    used += width;
    result.text += QChar(static_cast<char16_t>(c));
  }
  return result;
}

}  // namespace platform::qt
