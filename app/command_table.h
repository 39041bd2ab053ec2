// The commands the notebook calls, by entry point. The handlers take every
// entry from this table and call it through the runtime's command services;
// command_bindings.cpp fills it with the linked libraries' commands. Tests
// put a table of their own in place to watch what the handlers ask for.
#pragma once

#include "runtime/value.h"

namespace app {

struct CommandTable {
  // Text and conversion.
  rt::Command text_length = nullptr;
  rt::Command trim = nullptr;
  rt::Command replace_text = nullptr;
  rt::Command to_int = nullptr;
  rt::Command to_text = nullptr;
  rt::Command to_bytes = nullptr;
  // System, file and configuration.
  rt::Command message_box = nullptr;
  rt::Command input_box = nullptr;
  rt::Command get_program_folder = nullptr;
  rt::Command read_ini_value = nullptr;
  rt::Command write_ini_value = nullptr;
  rt::Command file_exists = nullptr;
  rt::Command delete_file = nullptr;
  rt::Command set_clipboard_text = nullptr;
  rt::Command now = nullptr;
  rt::Command open_web_address = nullptr;
  // Data operations and special functions.
  rt::Command digest = nullptr;
  rt::Command encrypt_data = nullptr;
  rt::Command delay = nullptr;
  // Database engine.
  rt::Command create_database = nullptr;
  rt::Command open_database = nullptr;
  rt::Command close_database = nullptr;
  rt::Command set_database_password = nullptr;
  rt::Command input_password_dialog = nullptr;
  rt::Command get_database_error_text = nullptr;
  rt::Command get_record_count = nullptr;
  rt::Command go_first_record = nullptr;
  rt::Command go_to_record = nullptr;
  rt::Command skip_records = nullptr;
  rt::Command read_field = nullptr;
  rt::Command write_field = nullptr;
  rt::Command add_record = nullptr;
  rt::Command delete_record = nullptr;
  rt::Command purge_deleted_records = nullptr;
  rt::Command get_field_name = nullptr;
  // Windows.
  rt::Command load_window = nullptr;
  rt::Command destroy_unit = nullptr;
  rt::Command popup_menu = nullptr;
  // List view.
  rt::Command get_item_text = nullptr;
  rt::Command set_item_text = nullptr;
  rt::Command insert_item = nullptr;
  rt::Command delete_item = nullptr;
  rt::Command delete_all_items = nullptr;
};

// The table in use: the linked commands unless a test installed its own.
const CommandTable& Commands();
// The table of the linked commands.
const CommandTable& LinkedCommands();
// Installs a table (null: back to the linked commands). For tests.
void UseCommands(const CommandTable* table);

}  // namespace app
