#include "tools/qkdb/secrets.h"

#include "commands/key_derivation.h"
#include "runtime/memory.h"

namespace qkdb {

SecretText DeriveNotebookKey(std::string_view password_gbk) {
  std::string terminated(password_gbk);
  char* key = commands::DeriveDatabaseKey(terminated.c_str());
  WipeString(&terminated);
  SecretText derived{std::string(key)};
  rt::FreeMemory(key);  // wiped as it is freed
  return derived;
}

bool LooksLikeNotebookKey(std::string_view text) {
  if (text.size() != 32) return false;
  for (char c : text)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

}  // namespace qkdb
