#include "tools/quillkeep-sim/faults.h"

#include "app/command_table.h"
#include "db/errors.h"
#include "db/password.h"
#include "runtime/value.h"

namespace sim_tool {
namespace {

app::CommandTable g_table;

void RefusingSetDatabasePassword(rt::Value* result, std::int32_t, rt::Value*) {
  db::SetLastError(db::err::kRecipherFailed);
  *result = rt::Value::Bool(false);
  app::UseCommands(nullptr);  // refused once; the linked command from now on
}

}  // namespace

void RefusePasswordChanges() {
  g_table = app::LinkedCommands();
  g_table.set_database_password = RefusingSetDatabasePassword;
  app::UseCommands(&g_table);
}

}  // namespace sim_tool
