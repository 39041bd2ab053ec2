// Actions on the selected record: delete, copy, open its address.
#include <cstdint>

#include "app/away_lock.h"
#include "app/clipboard_guard.h"
#include "app/command_table.h"
#include "app/forms/unit_ids.h"
#include "app/notebook.h"
#include "app/state.h"
#include "runtime/helpers.h"

namespace app {
namespace {

constexpr std::int32_t kYesNo = 4;
constexpr std::int32_t kYes = 5;
const char* const kDeleteFailed = "删除记录失败：";

bool SetClipboard(const char* text) { return TakeBool(CallCore(Commands().set_clipboard_text, {arg::Text(text)})); }

// The password of row `row` as the user typed it: from the database while
// the list shows the mask, else from the cell. Returns false when the
// database had to be reopened and the user gave up.
bool RowPassword(std::int32_t row, OwnedText* password) {
  if (State().show_passwords == 0) {
    if (!EnsureDatabaseOpen()) return false;
    // A list left out of step with the file by a failed load would hand out
    // another record's password: copy only when the row shows its record.
    if (!RowShowsRecord(row, row + 1)) {
      ReloadStaleList();
      return false;
    }
    *password = ReadStoredPassword(row + 1);
  } else {
    *password = CellText(row, 4);
  }
  return true;
}

}  // namespace

void OnDeleteRecord() {
  if (!UnlockToAct()) return;
  const CommandTable& cmd = Commands();
  std::int32_t row = SelectedRow();
  if (row == -1) return;
  OwnedText name = CellText(row, 1);
  OwnedText question(rt::ConcatTexts({"是否删除 ", name.c_str(), "？"}));
  if (ShowMessage(question.c_str(), kYesNo) != kYes) return;
  row = SelectedRow();
  if (row == -1) return;
  // A failed password change can leave no database open; reopening it
  // reloads the list.
  if (!EnsureDatabaseOpen()) return;
  // The row's position names the record: when the row no longer shows the
  // record the question named (a load that stopped early, another process
  // purging, a reload just now), deleting by position would remove a record
  // the user never confirmed.
  if (rt::CompareTexts(CellText(row, 1).c_str(), name.c_str()) != 0 || !RowShowsRecord(row, row + 1)) {
    ReloadStaleList();
    return;
  }
  const std::int32_t count = TakeInt(CallCore(cmd.get_record_count, {}));
  CallCore(cmd.go_to_record, {arg::Int(row + 1)});
  // A mark that failed leaves nothing to purge: the purge would succeed and
  // the row would go while its record stays in the file. A purge that
  // failed leaves the record marked and in the file, so its row stays.
  if (!TakeBool(CallCore(cmd.delete_record, {})) || !TakeBool(CallCore(cmd.purge_deleted_records, {}))) {
    ShowDatabaseError(kDeleteFailed);
    return;
  }
  // The purge removes every marked record: one left by an earlier delete
  // whose purge failed (or marked by another process) goes too, and the
  // rows below it would no longer show their records.
  if (TakeInt(CallCore(cmd.get_record_count, {})) != count - 1) {
    ReloadStaleList();
    return;
  }
  CallLibrary(library::kListView, cmd.delete_item,
              {arg::Unit(rt::type::kListView, ids::kMainWindow, ids::kRecordList), arg::Int(row)});
}

void OnCopyRecord() {
  std::int32_t row = SelectedRow();
  if (row == -1) return;
  OwnedText password;
  if (!RowPassword(row, &password)) return;
  OwnedText cells[7];
  for (std::int32_t column : {1, 2, 3, 5, 6}) cells[column] = CellText(row, column);
  OwnedText text(rt::ConcatTexts({"网站名称：", cells[1].c_str(), "\r\n",  //
                                  "网站地址：", cells[2].c_str(), "\r\n",  //
                                  "帐号：", cells[3].c_str(), "\r\n",      //
                                  "密码：", password.c_str(), "\r\n",      //
                                  "备注：", cells[5].c_str(), "\r\n",      //
                                  "加入时间：", cells[6].c_str()}));
  if (SetClipboard(text.c_str())) ClipboardHoldsSecret();
}

void OnCopyAccount() {
  std::int32_t row = SelectedRow();
  if (row == -1) return;
  if (SetClipboard(CellText(row, 3).c_str())) ClipboardHoldsPlainText();
}

void OnCopyPassword() {
  std::int32_t row = SelectedRow();
  if (row == -1) return;
  OwnedText password;
  if (!RowPassword(row, &password)) return;
  if (SetClipboard(password.c_str())) ClipboardHoldsSecret();
}

void OnOpenAddress() {
  std::int32_t row = SelectedRow();
  if (row == -1) return;
  OwnedText address = CellText(row, 2);
  CallCore(Commands().open_web_address, {arg::Text(address)});
}

}  // namespace app
