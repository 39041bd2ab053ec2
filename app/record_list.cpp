// The record list: filling it from the database, the password mask and the
// list's popup menu.
#include <cstdint>

#include "app/away_lock.h"
#include "app/command_table.h"
#include "app/forms/unit_ids.h"
#include "app/notebook.h"
#include "app/state.h"
#include "runtime/helpers.h"
#include "ui/unit_numbers.h"

namespace app {
namespace {

const char* const kMask = "********";
const char* const kShowCaption = "正显密码";
const char* const kHideCaption = "*号遮盖";

rt::Value ListRef() { return arg::Unit(rt::type::kListView, ids::kMainWindow, ids::kRecordList); }

OwnedText ReadTextField(const char* name) { return TakeText(CallCore(Commands().read_field, {arg::Text(name)})); }

// The fields of the current record, as the list shows them.
struct RowFields {
  OwnedText web_name, web_url, user_name, password, remarks;
  double time = 0;
};

// A database command just failed: the engine keeps its error text until the
// next database command.
bool LastDatabaseCallFailed() { return !TakeText(CallCore(Commands().get_database_error_text, {})).empty(); }

// Reads the current record; false as soon as one of its fields cannot be
// read (the error stays the last one for the message).
bool ReadCurrentRecord(RowFields* row) {
  const struct {
    const char* name;
    OwnedText* into;
  } texts[] = {{field::kWebName, &row->web_name},
               {field::kWebUrl, &row->web_url},
               {field::kUserName, &row->user_name},
               {field::kPassword, &row->password},
               {field::kRemarks, &row->remarks}};
  for (const auto& text : texts) {
    *text.into = ReadTextField(text.name);
    if (LastDatabaseCallFailed()) return false;
  }
  row->time = TakeDateTime(CallCore(Commands().read_field, {arg::Text(field::kTime)}));
  return !LastDatabaseCallFailed();
}

// A list that stops short must not pass for the whole notebook: say why.
void ReportReadFailure() { ShowDatabaseError("读取记录失败："); }

std::int32_t AppendEmptyRow() {
  return TakeInt(CallLibrary(library::kListView, Commands().insert_item, {ListRef()}));
}

void SetCell(std::int32_t row, std::int32_t column, const char* text) {
  CallLibrary(library::kListView, Commands().set_item_text, {ListRef(), arg::Int(row), arg::Int(column), arg::Text(text)});
}

void WriteRow(std::int32_t row, const RowFields& fields) {
  const CommandTable& cmd = Commands();
  OwnedText number = TakeText(CallCore(cmd.to_text, {arg::Int(row + 1)}));
  OwnedText time = TakeText(CallCore(cmd.to_text, {rt::Value::DateTime(fields.time)}));
  SetCell(row, 0, number.c_str());
  SetCell(row, 1, fields.web_name.c_str());
  SetCell(row, 2, fields.web_url.c_str());
  SetCell(row, 3, fields.user_name.c_str());
  SetCell(row, 4, State().show_passwords == 1 ? fields.password.c_str() : kMask);
  SetCell(row, 5, fields.remarks.c_str());
  SetCell(row, 6, time.c_str());
}

}  // namespace

void LoadRecordList(std::int32_t record, bool single, bool update) {
  const CommandTable& cmd = Commands();
  CallCore(cmd.go_first_record, {});
  RowFields fields;
  if (!single) {
    // Rows are only added for records read whole and in order, so every row
    // shown is its record even when the load stops early.
    CallLibrary(library::kListView, cmd.delete_all_items, {ListRef()});
    // No database (the first-run window closed without creating one, or a
    // failed password change): nothing to show, and nothing went wrong.
    if (!DatabaseIsOpen()) return;
    std::int32_t count = TakeInt(CallCore(cmd.get_record_count, {}));
    if (LastDatabaseCallFailed()) return ReportReadFailure();
    for (std::int32_t i = 0; i < count; ++i) {
      if (!ReadCurrentRecord(&fields)) return ReportReadFailure();
      bool moved = TakeBool(CallCore(cmd.skip_records, {arg::Int(1)}));
      WriteRow(AppendEmptyRow(), fields);
      if (!moved && i + 1 < count) return ReportReadFailure();
    }
    return;
  }
  // The notebook locked while a box of the record window was open: the
  // list stays empty, and there is no database to read.
  if (!DatabaseIsOpen()) return;
  CallCore(cmd.go_to_record, {arg::Int(record)});
  if (LastDatabaseCallFailed() || !ReadCurrentRecord(&fields)) return ReportReadFailure();
  WriteRow(update ? record - 1 : AppendEmptyRow(), fields);
}

bool RowShowsRecord(std::int32_t row, std::int32_t record) {
  const CommandTable& cmd = Commands();
  if (record < 1 || record > TakeInt(CallCore(cmd.get_record_count, {}))) return false;
  CallCore(cmd.go_to_record, {arg::Int(record)});
  RowFields fields;
  if (LastDatabaseCallFailed() || !ReadCurrentRecord(&fields)) {
      return false;
  }
  OwnedText time = TakeText(CallCore(cmd.to_text, {rt::Value::DateTime(fields.time)}));
  const struct {
    std::int32_t column;
    const OwnedText& stored;
  } shown[] = {{1, fields.web_name}, {2, fields.web_url}, {3, fields.user_name}, {5, fields.remarks}, {6, time}};
  bool same = true;
  for (const auto& cell : shown) {
    if (rt::CompareTexts(CellText(row, cell.column).c_str(), cell.stored.c_str()) != 0) same = false;
  }
  return same;
}

void ReloadStaleList() {
  ShowMessage("记录列表与数据库不一致，已重新载入。");
  LoadRecordList(0, false, false);
}

OwnedText ReadStoredPassword(std::int32_t record) {
  CallCore(Commands().go_to_record, {arg::Int(record)});
  return ReadTextField(field::kPassword);
}

void OnTogglePasswords() {
  if (!UnlockToAct()) return;
  // The toggle only switches and reloads: with no database open the list
  // empties (the records stay in the file), and no password is asked for
  // a database that may not even exist.
  OwnedText caption = ReadTextProperty(ids::kMainWindow, ids::kTogglePasswordsButton, ui::prop::button::kCaption);
  if (rt::CompareTexts(caption.c_str(), kShowCaption) == 0) {
    State().show_passwords = 1;
    WriteTextProperty(ids::kMainWindow, ids::kTogglePasswordsButton, ui::prop::button::kCaption, kHideCaption);
  } else if (rt::CompareTexts(caption.c_str(), kHideCaption) == 0) {
    State().show_passwords = 0;
    WriteTextProperty(ids::kMainWindow, ids::kTogglePasswordsButton, ui::prop::button::kCaption, kShowCaption);
  } else {
    return;
  }
  LoadRecordList(0, false, false);
}

void OnListPopup() {
  if (!UnlockToAct() || SelectedRow() == -1) return;
  CallCore(Commands().popup_menu, {arg::Unit(rt::type::kWindow, ids::kMainWindow, ids::kMainWindowUnit),
                                   arg::Unit(rt::type::kMenu, ids::kMainWindow, ids::kAccountMenu)});
}

void OnListClicked() { UnlockToAct(); }

std::int32_t SelectedRow() { return ReadIntProperty(ids::kMainWindow, ids::kRecordList, ui::prop::list::kCurrentRow); }

OwnedText CellText(std::int32_t row, std::int32_t column) {
  return TakeText(
      CallLibrary(library::kListView, Commands().get_item_text, {ListRef(), arg::Int(row), arg::Int(column)}));
}

}  // namespace app
