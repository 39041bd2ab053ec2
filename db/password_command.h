// SetDatabasePassword, the command form of ChangeDatabasePassword.
#pragma once

#include <cstdint>

#include "runtime/value.h"

namespace db::commands {

// SetDatabasePassword(newPassword Text) -> Bool: changes the current
// database's access password. Sets the last database error (-67 with no
// current database, -80 for "?", -79 when the data could not be updated).
void SetDatabasePassword(rt::Value* result, std::int32_t argc, rt::Value* argv);

}  // namespace db::commands
