// The commands of the linked libraries, bound to the notebook's table.
#include "app/command_table.h"
#include "commands/text.h"
#include "db/password_dialog.h"

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
  t.input_password_dialog = db::InputPasswordDialog;
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
