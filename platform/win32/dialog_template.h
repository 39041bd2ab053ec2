// An in-memory dialog template (DLGTEMPLATE and its items), laid out in
// dialog units, with the dialog font and the items' texts in UTF-16.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace platform::win32 {

class DialogTemplate {
 public:
  // Predefined control classes of dialog items.
  static constexpr WORD kButton = 0x0080, kEdit = 0x0081, kStatic = 0x0082;

  DialogTemplate(DWORD style, short width, short height, const std::wstring& caption, const std::wstring& font_face,
                 WORD font_points);

  void AddItem(DWORD style, short x, short y, short width, short height, WORD id, WORD control_class,
               const std::wstring& text);
  // An item whose title is a resource number (an icon of a static control).
  void AddResourceItem(DWORD style, short x, short y, short width, short height, WORD id, WORD control_class,
                       WORD resource);

  const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void BeginItem(DWORD style, short x, short y, short width, short height, WORD id, WORD control_class);
  void AddDword(DWORD value);
  void AddString(const std::wstring& text);

  std::vector<WORD> words_;
  std::size_t count_at_ = 0;  // index of the item count word
};

}  // namespace platform::win32
