// The database key, unlocking at start-up, reopening after a failed change,
// and changing the password.
#include <cstdint>

#include "app/command_table.h"
#include "app/notebook.h"
#include "app/state.h"
#include "runtime/helpers.h"
#include "runtime/services.h"

namespace app {
namespace {

constexpr std::int32_t kAttempts = 3;
constexpr std::int32_t kShareExclusive = 4;
constexpr std::int32_t kBlockCipher = 1;

// The password dialog; true on OK with the typed text in *typed.
bool AskPassword(std::int32_t failed_attempts, OwnedText* typed) {
  return TakeBool(CallCore(Commands().input_password_dialog, {arg::TextVariable(*typed), arg::Int(failed_attempts)}));
}

bool AskText(const char* prompt, OwnedText* typed) {
  return TakeBool(CallCore(Commands().input_box,
                           {arg::Text(prompt), arg::Omitted(), arg::Omitted(), arg::TextVariable(*typed)}));
}

// OpenDatabase(DatabasePath, password = key) with share mode 1, or with
// `share_mode` when it is not 0.
bool OpenWithKey(const OwnedText& key, std::int32_t share_mode) {
  rt::Value share = share_mode != 0 ? arg::Int(share_mode) : arg::Omitted();
  return TakeBool(CallCore(Commands().open_database, {arg::Text(State().database_path), arg::Omitted(),
                                                      arg::Omitted(), share, arg::Omitted(), arg::Text(key)}));
}

// Asks for the password up to three times and opens the database with the
// derived key; on success fills the list. False on Cancel or a third failure.
bool PromptAndOpen() {
  for (std::int32_t failed = 0; failed < kAttempts; ++failed) {
    OwnedText typed;
    if (!AskPassword(failed, &typed)) return false;
    OwnedText key = DeriveKey(typed.c_str());
    typed.Wipe();
    bool opened = OpenWithKey(key, 0);
    key.Wipe();
    if (opened) {
      LoadRecordList(0, false, false);
      return true;
    }
  }
  return false;
}

}  // namespace

bool DatabaseIsOpen() {
  // A current database has at least the field "id": its first field name
  // is empty only when none is open.
  OwnedText name = TakeText(CallCore(Commands().get_field_name, {arg::Int(1)}));
  return !name.empty();
}

OwnedText DeriveKey(const char* password) {
  const CommandTable& cmd = Commands();
  OwnedText trimmed = TakeText(CallCore(cmd.trim, {arg::Text(password)}));
  OwnedBytes bytes = TakeBytes(CallCore(cmd.to_bytes, {arg::Text(trimmed)}));
  trimmed.Wipe();
  OwnedText first = TakeText(CallLibrary(library::kDataOperations, cmd.digest, {arg::Bytes(bytes)}));
  OwnedBytes enciphered = TakeBytes(CallLibrary(library::kDataOperations, cmd.encrypt_data,
                                                {arg::Bytes(bytes), arg::Text(first), arg::Int(kBlockCipher)}));
  bytes.Wipe();
  first.Wipe();
  OwnedText key = TakeText(CallLibrary(library::kDataOperations, cmd.digest, {arg::Bytes(enciphered)}));
  enciphered.Wipe();
  return key;
}

void UnlockDatabase() {
  if (!PromptAndOpen()) rt::Services().ExitProgram(0);
}

bool EnsureDatabaseOpen() { return DatabaseIsOpen() || PromptAndOpen(); }

void OnChangePassword() {
  const CommandTable& cmd = Commands();
  for (std::int32_t failed = 0; failed < kAttempts; ++failed) {
    OwnedText typed;
    if (!AskPassword(failed, &typed)) return;
    OwnedText key = DeriveKey(typed.c_str());
    typed.Wipe();
    CallCore(cmd.close_database, {});
    bool opened = OpenWithKey(key, kShareExclusive);
    key.Wipe();
    if (!opened) continue;

    OwnedText first, second;
    bool entered = AskText("输入新的数据库密码", &first) && AskText("请再次输入确认新的数据库密码", &second);
    bool same = entered && rt::CompareTexts(first.c_str(), second.c_str()) == 0;
    if (!same) {  // typed passwords are blanked on every way out
      first.Wipe();
      second.Wipe();
    }
    if (!entered) continue;
    if (!same) {
      ShowMessage("两次密码输入不一致！");
      return;
    }
    OwnedText new_key = DeriveKey(second.c_str());
    first.Wipe();
    second.Wipe();
    bool changed = TakeBool(CallCore(cmd.set_database_password, {arg::Text(new_key)}));
    new_key.Wipe();
    if (changed) {
      ShowMessage("恭喜，数据库密码成功修改，请牢记");
    } else {
      ShowDatabaseError("修改数据库密码失败：");
    }
    return;
  }
}

}  // namespace app
