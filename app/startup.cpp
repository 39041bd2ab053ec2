// Start-up, the first-run creation of the database, and the ways out.
#include <cstddef>
#include <cstdint>

#include "app/away_lock.h"
#include "app/clipboard_guard.h"
#include "app/command_table.h"
#include "app/field_list.h"
#include "app/forms/unit_ids.h"
#include "app/notebook.h"
#include "app/state.h"
#include "runtime/helpers.h"
#include "runtime/services.h"
#include "ui/unit_numbers.h"

namespace app {
namespace {

constexpr std::int32_t kStartUpHeight = 275;

const char* const kIniSection = "user";
const char* const kDatabaseKey = "database";
const char* const kNameKey = "name";
// Optional keys, never written.
const char* const kClipboardKey = "clipboard";
const char* const kLockKey = "lock";
const char* const kLockWithSessionKey = "lockwithsession";
const char* const kDefaultDatabase = "user.vdb";
const char* const kDefaultName = "user";

rt::Value InitWindowRef() { return arg::Unit(rt::type::kWindow, ids::kInitWindow, ids::kInitWindowUnit); }

bool FileExists(const char* path) { return TakeBool(CallCore(Commands().file_exists, {arg::Text(path)})); }

OwnedText ReadIni(const char* ini, const char* key, const char* fallback) {
  return TakeText(CallCore(Commands().read_ini_value,
                           {arg::Text(ini), arg::Text(kIniSection), arg::Text(key), arg::Text(fallback)}));
}

void WriteIni(const char* ini, const char* key, const char* value) {
  CallCore(Commands().write_ini_value, {arg::Text(ini), arg::Text(kIniSection), arg::Text(key), arg::Text(value)});
}

void SetDatabasePath(char* path) {
  AppState& state = State();
  if (state.database_path != nullptr) rt::Services().FreeMemory(state.database_path);
  state.database_path = path;
}

OwnedText InitPassword() { return ReadTextProperty(ids::kInitWindow, ids::kInitPasswordBox, ui::prop::edit::kContent); }

}  // namespace

void StartRoutine() {
  const rt::ServiceTable& services = rt::Services();
  services.ServiceHelp(rt::help::kStartUp, 0, 0, 0, 0);
  services.ServiceHelp(rt::help::kRegisterExitHandler, reinterpret_cast<std::intptr_t>(&ExitRoutine), 0, 0, 0);
  services.LoadStartWindow(ids::kMainWindow);
  services.RunMessageLoop();
}

void ExitRoutine() {
  StopAwayLock();
  ClearSecretAtExit();
  ResetState();
}

void OnMainWindowCreated() {
  WriteIntProperty(ids::kMainWindow, ids::kMainWindowUnit, ui::prop::common::kHeight, kStartUpHeight);

  OwnedText folder = TakeText(CallCore(Commands().get_program_folder, {}));
  OwnedText ini(rt::ConcatTexts({folder.c_str(), "\\user.ini"}));
  OwnedText display_name, lock_minutes, lock_with_session;
  if (FileExists(ini.c_str())) {
    OwnedText database = ReadIni(ini.c_str(), kDatabaseKey, kDefaultDatabase);
    SetDatabasePath(rt::ConcatTexts({folder.c_str(), "\\", database.c_str()}));
    display_name = ReadIni(ini.c_str(), kNameKey, kDefaultName);
    OwnedText clipboard = ReadIni(ini.c_str(), kClipboardKey, "");
    State().clipboard_seconds = ParseClipboardSeconds(clipboard.c_str());
    lock_minutes = ReadIni(ini.c_str(), kLockKey, "");
    lock_with_session = ReadIni(ini.c_str(), kLockWithSessionKey, "");
  } else {
    // The first write creates the file.
    WriteIni(ini.c_str(), kDatabaseKey, kDefaultDatabase);
    WriteIni(ini.c_str(), kNameKey, kDefaultName);
    SetDatabasePath(rt::ConcatTexts({folder.c_str(), "\\user.vdb"}));
    display_name = OwnedText(rt::ConcatTexts({kDefaultName}));
  }

  if (!FileExists(State().database_path)) {
    // Modal: returns once the initialise-database window has closed.
    CallCore(Commands().load_window, {InitWindowRef(), arg::Omitted(), arg::Bool(true)});
  } else {
    UnlockDatabase();
  }

  OwnedText caption = ReadTextProperty(ids::kMainWindow, ids::kMainWindowUnit, ui::prop::window::kCaption);
  OwnedText replaced = TakeText(CallCore(Commands().replace_text,
                                         {arg::Text(caption), arg::Text("user"), arg::Text(display_name),
                                          arg::Omitted(), arg::Omitted(), arg::Bool(true)}));
  WriteTextProperty(ids::kMainWindow, ids::kMainWindowUnit, ui::prop::window::kCaption, replaced.c_str());
  StartAwayLock(lock_minutes.c_str(), lock_with_session.c_str());
}

void OnCreateDatabase() {
  const CommandTable& cmd = Commands();
  const char* path = State().database_path;
  if (TakeInt(CallCore(cmd.text_length, {arg::Text(InitPassword().c_str())})) < 1) ShowMessage("未设置数据库密码");

  FieldList fields;
  if (!TakeBool(CallCore(cmd.create_database, {arg::Text(path), fields.argument()}))) {
    // A folder that cannot be written (protected, read-only media): say so,
    // and keep the window for another try or for closing.
    ShowDatabaseError("数据库创建失败：");
    return;
  }

  Secret key = DeriveKey(InitPassword().c_str());
  CallLibrary(library::kSpecialFunctions, cmd.delay, {arg::Int(100)});

  // The new file has no password yet: open it with the empty one.
  bool opened = TakeBool(CallCore(cmd.open_database, {arg::Text(path), arg::Omitted(), arg::Omitted(),
                                                      arg::Omitted(), arg::Omitted(), arg::Text("")}));
  if (!opened) {
    key.Clear();  // the program ends below without unwinding
    ShowMessage("数据库设置密码失败！");
    CallCore(cmd.delete_file, {arg::Text(path)});
    rt::Services().ExitProgram(0);
  }

  bool protected_ok = TakeBool(CallCore(cmd.set_database_password, {arg::Text(key.c_str())}));
  key.Clear();
  if (protected_ok) {
    ShowMessage("成功创建数据库,请牢记密码.");
    // The typed password goes from the edit box before the window does.
    WriteTextProperty(ids::kInitWindow, ids::kInitPasswordBox, ui::prop::edit::kContent, "");
    CallCore(cmd.destroy_unit, {InitWindowRef()});
    return;
  }
  ShowDatabaseError("数据库密码设置失败：");
  // A file left open without a password could never be opened again: the
  // next start would ask for a key that a plain file never accepts. Remove
  // it, so the window (still open) can create the database afresh.
  CallCore(cmd.close_database, {});
  CallCore(cmd.delete_file, {arg::Text(path)});
}

void OnExitButton() {
  CallCore(Commands().close_database, {});
  rt::Services().ExitProgram(0);
}

void OnMainWindowDestroying() { CallCore(Commands().close_database, {}); }

std::int32_t ShowMessage(const char* text, std::int32_t flags) {
  BoxWait wait;
  std::int32_t answer = TakeInt(CallCore(Commands().message_box, {arg::Text(text), arg::Int(flags)}));
  return wait.Closed() ? 0 : answer;
}

void ShowDatabaseError(const char* prefix) {
  OwnedText error = TakeText(CallCore(Commands().get_database_error_text, {}));
  OwnedText message(rt::ConcatTexts({prefix, error.c_str()}));
  ShowMessage(message.c_str());
}

}  // namespace app
