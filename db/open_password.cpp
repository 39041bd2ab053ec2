#include "db/open_password.h"

#include "db/cipher.h"
#include "db/cipher_password.h"
#include "db/errors.h"
#include "db/format.h"

namespace db {
namespace {
bool AsksUser(const std::string& password) { return password == "?"; }
}  // namespace

void InstallMainCipher(Database& db, const std::string& password) {
  db.main.cipher().Set(AsksUser(password) ? CipherState{} : MakeCipherState(password));
}

void InstallAuxiliaryCipher(Database& db) {
  if (db.aux) db.aux->cipher().Set(db.main.cipher().reading());
}

int UnlockCipheredHeader(Database& db, const std::string& password) {
  // Asking through the password dialog ("?") is not available yet: that
  // counts as a cancelled prompt.
  if (password.empty() || AsksUser(password)) return err::kBadPassword;
  int code = db.main.ReadExact(0, db.header, kHeaderSize, err::kNotDatabase);
  if (code != 0) return code;
  PasswordDigest digest = DigestOfPassword(password);
  return PasswordCheckMatches(db.header + kPasswordCheckPos, digest) ? 0 : err::kBadPassword;
}

int CheckPlainPassword(Database& db, const std::string& password) {
  if (!password.empty() && !AsksUser(password)) return err::kBadPassword;
  db.main.cipher().Set(CipherState{});
  return 0;
}

}  // namespace db
