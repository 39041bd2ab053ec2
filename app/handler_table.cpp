#include "app/handler_table.h"

#include <array>

#include "app/handlers.h"
#include "app/notebook.h"

namespace app {
namespace {

// Filled by index, so the order is the enum's whatever the order here.
constexpr std::array<rt::Handler, kHandlerCount> kTable = [] {
  std::array<rt::Handler, kHandlerCount> t{};
  t[kOnMainWindowCreated] = &OnMainWindowCreated;
  t[kOnMainWindowDestroying] = &OnMainWindowDestroying;
  t[kOnCopyRecord] = &OnCopyRecord;
  t[kOnCopyAccount] = &OnCopyAccount;
  t[kOnCopyPassword] = &OnCopyPassword;
  t[kOnOpenAddress] = &OnOpenAddress;
  t[kOnExitButton] = &OnExitButton;
  t[kOnChangePassword] = &OnChangePassword;
  t[kOnModifyRecord] = &OnModifyRecord;
  t[kOnDeleteRecord] = &OnDeleteRecord;
  t[kOnTogglePasswords] = &OnTogglePasswords;
  t[kOnAddRecord] = &OnAddRecord;
  t[kOnListPopup] = &OnListPopup;
  t[kOnCreateDatabase] = &OnCreateDatabase;
  t[kOnRecordWindowCreated] = &OnRecordWindowCreated;
  t[kOnSaveRecord] = &OnSaveRecord;
  t[kOnListClicked] = &OnListClicked;
  return t;
}();

}  // namespace

std::span<const rt::Handler> HandlerTable() { return kTable; }

}  // namespace app
