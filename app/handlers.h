// The application's handler table. Event bindings in the window templates
// hold an index into this table (the program's code base); the table itself
// is filled in app/handler_table.cpp in exactly this order.
#pragma once

#include <cstdint>

namespace app {

enum HandlerIndex : std::int32_t {
  // Main window.
  kOnMainWindowCreated = 0,
  kOnMainWindowDestroying,
  kOnCopyRecord,
  kOnCopyAccount,
  kOnCopyPassword,
  kOnOpenAddress,
  kOnExitButton,
  kOnChangePassword,
  kOnModifyRecord,
  kOnDeleteRecord,
  kOnTogglePasswords,
  kOnAddRecord,
  kOnListPopup,
  // Initialise-database window.
  kOnCreateDatabase,
  // Record window.
  kOnRecordWindowCreated,
  kOnSaveRecord,
  // Bound by the program header, not by a template (see program.cpp).
  kOnListClicked,

  kHandlerCount
};

// A binding without a handler.
inline constexpr std::int32_t kNoHandler = -1;

}  // namespace app
