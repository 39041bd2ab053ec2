#include "db/password_command.h"

#include <exception>
#include <string_view>

#include "db/errors.h"
#include "db/password.h"
#include "db/database.h"
#include "db/registry.h"

namespace db::commands {

void SetDatabasePassword(rt::Value* result, std::int32_t argc, rt::Value* argv) {
  SetLastError(0);
  const char* text = argc >= 1 ? argv[0].text() : nullptr;
  int code;
  try {
    Database* database = CurrentDatabase();
    code = database == nullptr ? err::kNoCurrentDatabase
                               : ChangeDatabasePassword(*database, text != nullptr ? std::string_view(text) : "");
  } catch (const std::exception&) {
    code = err::kUnknown;
  }
  SetLastError(code);
  *result = rt::Value::Bool(code == 0);
}

}  // namespace db::commands
