#include "db/password_command.h"

#include <exception>
#include <string_view>

#include "db/errors.h"
#include "db/password.h"
#include "db/database.h"
#include "db/registry.h"
#include "runtime/errors.h"

namespace db::commands {

void SetDatabasePassword(rt::Value* result, std::int32_t argc, rt::Value* argv) {
  // The new password is required and is Text: anything else would be read
  // as a text pointer, and a missing one would remove the protection.
  if (argc < 1 || argv[0].type != rt::type::kText) rt::ReportError(11);
  SetLastError(0);
  const char* text = argv[0].text();
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
