// The input box dialog, laid out in dialog units from an in-memory template
// in two layouts: with a prompt (252 x 92: a sunken frame around the prompt,
// the edit field below it, the buttons centred underneath) and without one
// (214 x 56: the field and the buttons). Both hold a plain and a masked edit
// field at the same place; the mode decides which one is shown.
#include <windows.h>
#include <imm.h>

#include <algorithm>
#include <vector>

#include "platform/win32/input_box_win32.h"
#include "platform/win32/edit_input.h"
#include "platform/win32/wide_text.h"

namespace platform::win32 {
namespace {

constexpr WORD kFrameId = 100;
constexpr WORD kPromptId = 101;
constexpr WORD kPlainEditId = 102;
constexpr WORD kMaskedEditId = 103;
constexpr WORD kButtonClass = 0x0080;
constexpr WORD kEditClass = 0x0081;
constexpr WORD kStaticClass = 0x0082;

// Builds a DLGTEMPLATE with its items; items start on DWORD boundaries.
class DialogTemplate {
 public:
  DialogTemplate(short cx, short cy, const std::wstring& caption, WORD item_count) {
    AddDword(DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    AddDword(0);
    words_.push_back(item_count);
    AddShorts(0, 0, cx, cy);
    words_.push_back(0);  // no menu
    words_.push_back(0);  // the standard dialog class
    AddString(caption);
    words_.push_back(9);  // point size
    AddString(L"\u5B8B\u4F53");  // 宋体
  }

  void AddItem(DWORD style, short x, short y, short cx, short cy, WORD id, WORD class_atom, const std::wstring& text) {
    if (words_.size() % 2 != 0) words_.push_back(0);
    AddDword(style | WS_CHILD);
    AddDword(0);
    AddShorts(x, y, cx, cy);
    words_.push_back(id);
    words_.push_back(0xFFFF);
    words_.push_back(class_atom);
    AddString(text);
    words_.push_back(0);  // no creation data
  }

  const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void AddDword(DWORD v) {
    words_.push_back(LOWORD(v));
    words_.push_back(HIWORD(v));
  }
  void AddShorts(short a, short b, short c, short d) {
    for (short v : {a, b, c, d}) words_.push_back(static_cast<WORD>(v));
  }
  void AddString(const std::wstring& s) {
    for (wchar_t c : s) words_.push_back(static_cast<WORD>(c));
    words_.push_back(0);
  }

  std::vector<WORD> words_;
};

struct DialogState {
  const InputBoxRequest* request;
  Secret entered;
  WNDPROC edit_proc = nullptr;
  HWND visible_edit = nullptr;
};

// Typed, pasted and committed text pass the mode's filter and GBK;
// everything else goes on to the edit control.
LRESULT CALLBACK FilteredEditProc(HWND edit, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* state = reinterpret_cast<DialogState*>(::GetWindowLongPtrW(edit, GWLP_USERDATA));
  const int mode = state->request->mode;
  EditInputRules rules;
  rules.accepts_character = [mode](wchar_t c) { return InputBoxAccepts(mode, c); };
  rules.admit = [mode](std::wstring text) {
    text = text.substr(0, text.find_first_of(L"\r\n"));  // one line
    text.erase(std::remove_if(text.begin(), text.end(), [mode](wchar_t c) { return !InputBoxAccepts(mode, c); }), text.end());
    return text;
  };
  PassOn pass_on = [state, edit](UINT m, WPARAM w, LPARAM l) { return ::CallWindowProcW(state->edit_proc, edit, m, w, l); };
  if (std::optional<LRESULT> used = FilterTextInput(edit, message, wparam, lparam, rules, pass_on)) return *used;
  return ::CallWindowProcW(state->edit_proc, edit, message, wparam, lparam);
}

// The entry may be a password: both edit fields (plain and masked) are
// blanked when the box goes.
void BlankEdits(HWND dialog) {
  for (int id : {kPlainEditId, kMaskedEditId}) BlankEditControl(::GetDlgItem(dialog, id));
}

INT_PTR CALLBACK InputBoxProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* state = reinterpret_cast<DialogState*>(::GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      state = reinterpret_cast<DialogState*>(lparam);
      ::SetWindowLongPtrW(dialog, DWLP_USER, lparam);
      const InputBoxRequest& request = *state->request;
      ::SetWindowTextW(dialog, WidenGbk(request.caption).c_str());
      if (request.with_prompt()) ::SetDlgItemTextW(dialog, kPromptId, WidenGbk(request.prompt).c_str());
      HWND plain = ::GetDlgItem(dialog, kPlainEditId);
      HWND masked = ::GetDlgItem(dialog, kMaskedEditId);
      state->visible_edit = request.masked() ? masked : plain;
      if (!request.input_method) {
        ::ImmAssociateContext(plain, nullptr);
        ::ImmAssociateContext(masked, nullptr);
      }
      ::ShowWindow(request.masked() ? plain : masked, SW_HIDE);
      ::EnableWindow(request.masked() ? plain : masked, FALSE);
      ::SetWindowTextW(state->visible_edit, WidenGbk(request.initial).c_str());
      ::SetWindowLongPtrW(state->visible_edit, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
      state->edit_proc = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
          state->visible_edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FilteredEditProc)));
      ::SendMessageW(state->visible_edit, EM_SETSEL, 0, -1);
      ::SendMessageW(state->visible_edit, EM_SCROLLCARET, 0, 0);
      ::SetFocus(state->visible_edit);
      return FALSE;  // the focus is set
    }
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK && state != nullptr) {
        state->entered = NarrowToGbkSecret(WindowTextSecret(state->visible_edit).view());
        BlankEdits(dialog);
        ::EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(wparam) == IDCANCEL) {
        BlankEdits(dialog);
        ::EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    case WM_DESTROY:
      if (state != nullptr && state->edit_proc != nullptr)
        ::SetWindowLongPtrW(state->visible_edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(state->edit_proc));
      return FALSE;
    default: return FALSE;
  }
}

}  // namespace

BoxAnswer RunInputBox(const InputBoxRequest& request, Secret* entered) {
  const std::wstring ok = WidenGbk("确认输入(&O)");
  const std::wstring cancel = WidenGbk("取消(&C)");
  const DWORD edit_style = WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
  const DWORD button_style = WS_VISIBLE | WS_TABSTOP;
  const std::wstring caption = WidenGbk(request.caption);

  DialogTemplate layout = request.with_prompt() ? DialogTemplate(252, 92, caption, 6) : DialogTemplate(214, 56, caption, 4);
  if (request.with_prompt()) {
    layout.AddItem(WS_VISIBLE | SS_SUNKEN, 7, 7, 238, 40, kFrameId, kStaticClass, L"");
    layout.AddItem(WS_VISIBLE | SS_LEFT, 12, 11, 228, 32, kPromptId, kStaticClass, L"");
    layout.AddItem(edit_style, 7, 53, 238, 14, kPlainEditId, kEditClass, L"");
    layout.AddItem(edit_style | ES_PASSWORD, 7, 53, 238, 14, kMaskedEditId, kEditClass, L"");
    layout.AddItem(button_style | BS_DEFPUSHBUTTON, 61, 72, 60, 14, IDOK, kButtonClass, ok);
    layout.AddItem(button_style | BS_PUSHBUTTON, 131, 72, 60, 14, IDCANCEL, kButtonClass, cancel);
  } else {
    layout.AddItem(edit_style, 7, 10, 200, 14, kPlainEditId, kEditClass, L"");
    layout.AddItem(edit_style | ES_PASSWORD, 7, 10, 200, 14, kMaskedEditId, kEditClass, L"");
    layout.AddItem(button_style | BS_DEFPUSHBUTTON, 42, 34, 60, 14, IDOK, kButtonClass, ok);
    layout.AddItem(button_style | BS_PUSHBUTTON, 112, 34, 60, 14, IDCANCEL, kButtonClass, cancel);
  }

  DialogState state{&request, Secret()};
  INT_PTR answer = ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), layout.get(),
                                             reinterpret_cast<HWND>(request.owner), InputBoxProc,
                                             reinterpret_cast<LPARAM>(&state));
  if (answer != IDOK) return BoxAnswer::kCancel;  // Cancel, closed, or the dialog failed
  *entered = std::move(state.entered);
  return BoxAnswer::kOk;
}

}  // namespace platform::win32
