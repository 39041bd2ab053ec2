// The commands of the linked libraries, bound to the notebook's table.
#include "app/command_table.h"
#include "commands/data.h"
#include "commands/special.h"
#include "commands/system.h"
#include "commands/text.h"
#include "db/commands.h"
#include "db/password_command.h"
#include "db/password_dialog.h"
#include "ui/commands.h"
#include "ui/units/list_view.h"

namespace app {
namespace {

const CommandTable* g_installed = nullptr;

CommandTable Bind() {
  CommandTable t;
  t.text_length = commands::TextLength;
  t.trim = commands::Trim;
  t.replace_text = commands::ReplaceText;
  t.to_int = commands::ToInt;
  t.to_text = commands::ToText;
  t.to_bytes = commands::ToBytes;
  t.message_box = commands::MessageBox;
  t.input_box = commands::InputBox;
  t.get_program_folder = commands::GetProgramFolder;
  t.read_ini_value = commands::ReadIniValue;
  t.write_ini_value = commands::WriteIniValue;
  t.file_exists = commands::FileExists;
  t.delete_file = commands::DeleteFile;
  t.set_clipboard_text = commands::SetClipboardText;
  t.now = commands::Now;
  t.open_web_address = commands::OpenWebAddress;
  t.digest = commands::Digest;
  t.encrypt_data = commands::EncryptData;
  t.delay = commands::Delay;
  t.create_database = db::commands::CreateDatabase;
  t.open_database = db::commands::OpenDatabase;
  t.close_database = db::commands::CloseDatabase;
  t.set_database_password = db::commands::SetDatabasePassword;
  t.input_password_dialog = db::InputPasswordDialog;
  t.get_database_error_text = db::commands::GetDatabaseErrorText;
  t.get_record_count = db::commands::GetRecordCount;
  t.go_first_record = db::commands::GoFirstRecord;
  t.go_to_record = db::commands::GoToRecord;
  t.skip_records = db::commands::SkipRecords;
  t.read_field = db::commands::ReadField;
  t.write_field = db::commands::WriteField;
  t.add_record = db::commands::AddRecord;
  t.delete_record = db::commands::DeleteRecord;
  t.purge_deleted_records = db::commands::PurgeDeletedRecords;
  t.get_field_name = db::commands::GetFieldName;
  t.load_window = ui::LoadWindowCommand;
  t.destroy_unit = ui::DestroyUnitCommand;
  t.popup_menu = ui::PopupMenuCommand;
  t.get_item_text = ui::GetItemText;
  t.set_item_text = ui::SetItemText;
  t.insert_item = ui::InsertItem;
  t.delete_item = ui::DeleteItem;
  t.delete_all_items = ui::DeleteAllItems;
  return t;
}

}  // namespace

const CommandTable& LinkedCommands() {
  static const CommandTable table = Bind();
  return table;
}

const CommandTable& Commands() { return g_installed != nullptr ? *g_installed : LinkedCommands(); }

void UseCommands(const CommandTable* table) { g_installed = table; }

}  // namespace app
