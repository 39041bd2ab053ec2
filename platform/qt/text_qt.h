// Text at the Qt seam: the system's texts are GBK byte strings, Qt's are
// UTF-16. Conversions happen here and nowhere else. What an edit box takes
// is decided here too, on UTF-16 text before it reaches the widget: a
// character GBK lacks is never inserted (it would be stored as something
// else), and a byte limit counts GBK bytes, with a line break as the two
// bytes "\r\n" it becomes when read back.
#pragma once

#include <QString>
#include <QList>
#include <QStringView>

#include <functional>
#include <string>

namespace platform::qt {

QString FromGbk(const std::string& gbk);
// Characters GBK lacks become '?'; edit boxes never hold any.
std::string ToGbk(const QString& text);

// Bytes a character takes in GBK: 1 or 2; 0 when GBK has no character
// that reads back as this one.
int GbkWidth(char32_t character);
// GBK bytes of a text; a line break ("\n", or "\r\n" as one) counts 2.
int GbkLength(QStringView text);
// Whether every character of the text is one GBK has.
bool FitsGbk(QStringView text);

// What an edit box may take of an insertion.
struct InsertRules {
  bool multi_line = false;  // single-line boxes take a paste up to its first line break
  int case_mode = 0;        // 0 none, 1 lower, 2 upper (ASCII letters)
  // Characters the box takes at all (digits only, an input box's modes);
  // empty: every character.
  std::function<bool(char32_t)> accepts;
};

struct Insertion {
  QString text;          // what goes in; line breaks as "\n"
  bool refused = false;  // something was left out: the person gets a sign
};

// Filters an insertion (typed, pasted or committed by an input method):
// drops characters GBK lacks and those the box does not accept, converts
// the case, and cuts the text before the first character that would not
// fit whole into `room` GBK bytes (negative: no limit).
Insertion FilterInsertion(QStringView text, const InsertRules& rules, int room);

}  // namespace platform::qt
