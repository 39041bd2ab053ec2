// Caption "密码输入", 222 x 80 dialog units, 宋体 9 points: the prompt, an
// icon, the retry line, the masked edit field and the two buttons. The typed
// text the dialog keeps wipes itself; the edit control's own copy is
// overwritten with blanks before the dialog goes.
#include "platform/win32/password_dialog_win32.h"

#include <windows.h>
#include <imm.h>

#include "platform/win32/dialog_template.h"
#include "platform/win32/edit_input.h"
#include "platform/win32/wide_text.h"

namespace platform::win32 {
namespace {

struct DialogState {
  const PasswordDialogTexts* texts = nullptr;
  Secret stored;  // GBK
};

INT_PTR CALLBACK PasswordDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* state = reinterpret_cast<DialogState*>(::GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      state = reinterpret_cast<DialogState*>(lparam);
      ::SetWindowLongPtrW(dialog, DWLP_USER, lparam);
      ::SetDlgItemTextW(dialog, kPasswordMessageId, WidenGbk(state->texts->message).c_str());
      HWND edit = ::GetDlgItem(dialog, kPasswordEditId);
      // The masked style already keeps input methods out on Windows; no
      // input context makes it so on every system.
      ::ImmAssociateContext(edit, nullptr);
      KeepEditToGbk(edit);
      ::SetFocus(edit);
      return FALSE;  // the focus is set
    }
    case WM_COMMAND: {
      WORD id = LOWORD(wparam);
      if (id != IDOK && id != IDCANCEL) return FALSE;
      HWND edit = ::GetDlgItem(dialog, kPasswordEditId);
      if (id == IDOK && state != nullptr) state->stored = NarrowToGbkSecret(WindowTextSecret(edit).view());
      BlankEditControl(edit);
      ::EndDialog(dialog, id);
      return TRUE;
    }
    default: return FALSE;
  }
}

}  // namespace

BoxAnswer RunPasswordDialog(const PasswordDialogTexts& texts, Secret* typed) {
  const DWORD kStyle = DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;
  DialogTemplate layout(kStyle, 222, 80, WidenGbk(texts.caption), WidenGbk("宋体"), 9);
  layout.AddItem(WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 7, 15, 94, 8, 0xFFFF, DialogTemplate::kStatic, WidenGbk(texts.prompt));
  layout.AddResourceItem(WS_VISIBLE | SS_ICON, 191, 8, 20, 20, 0xFFFF, DialogTemplate::kStatic, kPasswordIconResource);
  layout.AddItem(WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 7, 36, 208, 8, kPasswordMessageId, DialogTemplate::kStatic, L"");
  layout.AddItem(WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_PASSWORD | ES_AUTOHSCROLL, 107, 13, 78, 12, kPasswordEditId,
                 DialogTemplate::kEdit, L"");
  layout.AddItem(WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 104, 56, 50, 17, IDOK, DialogTemplate::kButton,
                 WidenGbk(texts.ok));
  layout.AddItem(WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 165, 56, 50, 17, IDCANCEL, DialogTemplate::kButton,
                 WidenGbk(texts.cancel));

  DialogState state;
  state.texts = &texts;
  HWND owner = ::GetActiveWindow();
  INT_PTR answer = ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), layout.get(), owner, PasswordDialogProc,
                                             reinterpret_cast<LPARAM>(&state));
  if (answer != IDOK) return BoxAnswer::kCancel;  // Cancel, closed, or the dialog could not be made
  *typed = std::move(state.stored);
  return BoxAnswer::kOk;
}

}  // namespace platform::win32
