// The notebook's three globals and the layout of its one table.
#pragma once

#include <array>
#include <cstdint>

#include "app/away_lock.h"

namespace app {

struct AppState {
  // Full path of the database file; set once by the main window's creation
  // handler, released by the exit routine. Null while empty.
  char* database_path = nullptr;
  // 1 while the record list shows passwords in clear.
  std::int32_t show_passwords = 0;
  // Record open in the record window; 0 while that window adds records.
  std::int32_t editing_record_number = 0;
  // Seconds a copied password or record stays on the clipboard ("clipboard"
  // in user.ini; 0 = it stays), and whether such a copy awaits clearing.
  std::int32_t clipboard_seconds = 30;
  bool clipboard_secret_pending = false;
  // While the modal record window is open.
  bool record_window_open = false;
  // The lock when away (away_lock.h): when it falls due, whether the
  // notebook is locked, and the main window's caption to give back when it
  // opens again (null while open).
  AwayRule away;
  bool locked = false;
  char* open_caption = nullptr;

  // Takes `caption` (a runtime block, or null), releasing the one held.
  void SetOpenCaption(char* caption);
};

// The one instance for the process.
AppState& State();
// Back to the initial values, releasing the texts held (exit routine, tests).
void ResetState();

// Field type codes of the database engine.
namespace field_type {
inline constexpr std::int32_t kInt = 3;
inline constexpr std::int32_t kDateTime = 8;
inline constexpr std::int32_t kText = 10;
}  // namespace field_type

struct FieldLayout {
  const char* name;
  std::int32_t type;
  std::int32_t size;
};

// The record layout the database is created with, in field order.
inline constexpr std::array<FieldLayout, 7> kRecordLayout = {{
    {"id", field_type::kInt, 0},
    {"WebName", field_type::kText, 512},
    {"WebUrl", field_type::kText, 512},
    {"UserName", field_type::kText, 512},
    {"PassWord", field_type::kText, 512},
    {"Remarks", field_type::kText, 512},
    {"Time", field_type::kDateTime, 512},
}};

// The names the handlers read and write the fields by.
namespace field {
inline constexpr const char* kWebName = "webname";
inline constexpr const char* kWebUrl = "weburl";
inline constexpr const char* kUserName = "username";
inline constexpr const char* kPassword = "password";
inline constexpr const char* kRemarks = "remarks";
inline constexpr const char* kTime = "time";
}  // namespace field

// Longest text a field takes, in bytes.
inline constexpr std::int32_t kMaxFieldBytes = 512;

}  // namespace app
