// The notebook's entry points and the operations its handlers share.
#pragma once

#include <cstdint>

#include "app/calls.h"

namespace app {

// --- Start-up, creation and exit. ---
void StartRoutine();
void ExitRoutine();
void OnMainWindowCreated();
void OnMainWindowDestroying();
void OnCreateDatabase();
void OnExitButton();

// --- Record list. ---
// (0, false, false) reloads every row; (n, true, false) appends the row of
// record n; (n, true, true) rewrites the row of record n.
// A read that fails stops the load with "读取记录失败：" and the engine's
// error text; the rows already shown stay (each is its record). With no
// database open (it may be locked) a full reload empties the list and a
// single row is left as it is, without a word.
void LoadRecordList(std::int32_t record, bool single, bool update);
// True when row `row` shows record `record` (1-based) as the file holds it
// now: the list can fall out of step with the file (a load that failed half
// way, another process purging), and a row acted on must be its record.
// Leaves that record current.
bool RowShowsRecord(std::int32_t row, std::int32_t record);
// Tells the user the list no longer matched the file and reloads it (a row
// acted on did not show its record).
void ReloadStaleList();
// The stored password of record n (1-based).
OwnedText ReadStoredPassword(std::int32_t record);
void OnTogglePasswords();
void OnListPopup();
// A left click on the list: unlocks a locked notebook, nothing else.
void OnListClicked();

// --- Record editor. ---
void OnAddRecord();
void OnModifyRecord();
void OnRecordWindowCreated();
void OnSaveRecord();
// Closes the record window if it is open, without saving: its boxes are
// overwritten with blanks and emptied first (the lock when away).
void CloseRecordWindowUnsaved();

// --- Record commands. ---
void OnDeleteRecord();
void OnCopyRecord();
void OnCopyAccount();
void OnCopyPassword();
void OnOpenAddress();

// --- Database password. ---
// The 32-digit key the engine gets for a typed password.
Secret DeriveKey(const char* password);
// Start-up: asks until the database opens (then fills the list); a Cancel or
// a third wrong password ends the program.
void UnlockDatabase();
// True while a database is current (a failed password change or a first
// run without creation leaves none).
bool DatabaseIsOpen();
// For actions that read the database: true when one is open, else asks for
// the password as at start-up and reopens it; false when the user gives up.
bool EnsureDatabaseOpen();
void OnChangePassword();

// --- Shared small steps. ---
// MessageBox with the given flags, default caption, no owner; its result,
// or 0 when the notebook locked as it closed (away_lock.h).
std::int32_t ShowMessage(const char* text, std::int32_t flags = 0);
// The prefix followed directly by the last database error's text.
void ShowDatabaseError(const char* prefix);
// The list's selected row, -1 for none.
std::int32_t SelectedRow();
// Cell text of the record list.
OwnedText CellText(std::int32_t row, std::int32_t column);

}  // namespace app
