// The database key, unlocking at start-up, reopening after a failed change,
// and changing the password.
#include <cstdint>

#include "app/away_lock.h"
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

// The command's Text variable, taken into a secret (the runtime block is
// wiped when it is freed). A notebook that locked as the box closed takes
// nothing: the box counts as cancelled.
bool TakeTyped(rt::Value ok, BoxWait& wait, OwnedText* variable, Secret* typed) {
  if (wait.Closed() || !TakeBool(ok)) return false;
  typed->Assign(variable->c_str());
  return true;
}

// The password dialog; true on OK with the typed text in *typed.
bool AskPassword(std::int32_t failed_attempts, Secret* typed) {
  OwnedText variable;
  BoxWait wait;
  return TakeTyped(CallCore(Commands().input_password_dialog, {arg::TextVariable(variable), arg::Int(failed_attempts)}),
                   wait, &variable, typed);
}

bool AskText(const char* prompt, Secret* typed) {
  OwnedText variable;
  BoxWait wait;
  return TakeTyped(CallCore(Commands().input_box,
                            {arg::Text(prompt), arg::Omitted(), arg::Omitted(), arg::TextVariable(variable)}),
                   wait, &variable, typed);
}

// OpenDatabase(DatabasePath, password = key) with share mode 1, or with
// `share_mode` when it is not 0.
bool OpenWithKey(const Secret& key, std::int32_t share_mode) {
  rt::Value share = share_mode != 0 ? arg::Int(share_mode) : arg::Omitted();
  return TakeBool(CallCore(Commands().open_database, {arg::Text(State().database_path), arg::Omitted(),
                                                      arg::Omitted(), share, arg::Omitted(), arg::Text(key.c_str())}));
}

// Asks for the password up to three times and opens the database with the
// derived key; on success fills the list. False on Cancel or a third failure.
bool PromptAndOpen() {
  for (std::int32_t failed = 0; failed < kAttempts; ++failed) {
    Secret typed;
    if (!AskPassword(failed, &typed)) return false;
    bool opened = OpenWithKey(DeriveKey(typed.c_str()), 0);
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

Secret DeriveKey(const char* password) {
  // Every intermediate block is wiped when it is freed, on every way out.
  const CommandTable& cmd = Commands();
  OwnedText trimmed = TakeText(CallCore(cmd.trim, {arg::Text(password)}));
  OwnedBytes bytes = TakeBytes(CallCore(cmd.to_bytes, {arg::Text(trimmed)}));
  OwnedText first = TakeText(CallLibrary(library::kDataOperations, cmd.digest, {arg::Bytes(bytes)}));
  OwnedBytes enciphered = TakeBytes(CallLibrary(library::kDataOperations, cmd.encrypt_data,
                                                {arg::Bytes(bytes), arg::Text(first), arg::Int(kBlockCipher)}));
  OwnedText key = TakeText(CallLibrary(library::kDataOperations, cmd.digest, {arg::Bytes(enciphered)}));
  return Secret(key.c_str());
}

void UnlockDatabase() {
  if (!PromptAndOpen()) rt::Services().ExitProgram(0);
}

bool EnsureDatabaseOpen() { return DatabaseIsOpen() || PromptAndOpen(); }

void OnChangePassword() {
  if (!UnlockToAct()) return;
  const CommandTable& cmd = Commands();
  // A lock as one of its boxes closed ends the routine: the next attempt
  // would ask again while locked.
  for (std::int32_t failed = 0; failed < kAttempts && !NotebookLocked(); ++failed) {
    Secret typed;
    if (!AskPassword(failed, &typed)) return;
    Secret key = DeriveKey(typed.c_str());
    CallCore(cmd.close_database, {});
    if (!OpenWithKey(key, kShareExclusive)) continue;

    Secret first, second;
    if (!AskText("输入新的数据库密码", &first) || !AskText("请再次输入确认新的数据库密码", &second)) continue;
    if (rt::CompareTexts(first.c_str(), second.c_str()) != 0) {
      ShowMessage("两次密码输入不一致！");
      return;
    }
    bool changed = TakeBool(CallCore(cmd.set_database_password, {arg::Text(DeriveKey(second.c_str()).c_str())}));
    if (changed) {
      ShowMessage("恭喜，数据库密码成功修改，请牢记");
    } else {
      ShowDatabaseError("修改数据库密码失败：");
    }
    return;
  }
}

}  // namespace app
