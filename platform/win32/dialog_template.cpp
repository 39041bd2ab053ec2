#include "platform/win32/dialog_template.h"

namespace platform::win32 {

DialogTemplate::DialogTemplate(DWORD style, short width, short height, const std::wstring& caption,
                               const std::wstring& font_face, WORD font_points) {
  AddDword(style | DS_SETFONT);
  AddDword(0);  // extended style
  count_at_ = words_.size();
  words_.push_back(0);  // item count, raised by each item
  for (short v : {short{0}, short{0}, width, height}) words_.push_back(static_cast<WORD>(v));
  words_.push_back(0);  // no menu
  words_.push_back(0);  // the standard dialog class
  AddString(caption);
  words_.push_back(font_points);
  AddString(font_face);
}

void DialogTemplate::BeginItem(DWORD style, short x, short y, short width, short height, WORD id, WORD control_class) {
  if (words_.size() % 2 != 0) words_.push_back(0);  // items start on DWORD boundaries
  AddDword(style | WS_CHILD);
  AddDword(0);
  for (short v : {x, y, width, height}) words_.push_back(static_cast<WORD>(v));
  words_.push_back(id);
  words_.push_back(0xFFFF);
  words_.push_back(control_class);
  ++words_[count_at_];
}

void DialogTemplate::AddItem(DWORD style, short x, short y, short width, short height, WORD id, WORD control_class,
                             const std::wstring& text) {
  BeginItem(style, x, y, width, height, id, control_class);
  AddString(text);
  words_.push_back(0);  // no creation data
}

void DialogTemplate::AddResourceItem(DWORD style, short x, short y, short width, short height, WORD id,
                                     WORD control_class, WORD resource) {
  BeginItem(style, x, y, width, height, id, control_class);
  words_.push_back(0xFFFF);
  words_.push_back(resource);
  words_.push_back(0);  // no creation data
}

void DialogTemplate::AddDword(DWORD value) {
  words_.push_back(LOWORD(value));
  words_.push_back(HIWORD(value));
}

void DialogTemplate::AddString(const std::wstring& text) {
  for (wchar_t c : text) words_.push_back(static_cast<WORD>(c));
  words_.push_back(0);
}

}  // namespace platform::win32
