// The access password's part in opening a database.
#pragma once

#include <string>

#include "db/database.h"

namespace db {

// Sets the main file's cipher from the password argument ("?" counts as
// none here).
void InstallMainCipher(Database& db, const std::string& password);
// Gives the auxiliary file the main file's cipher state.
void InstallAuxiliaryCipher(Database& db);
// "QCDB": checks the password (asking the user for "?") and re-reads the
// header with the right cipher into db.header. 0 or -78.
int UnlockCipheredHeader(Database& db, const std::string& password);
// "QVDB": a password other than "" and "?" is wrong (-78); the file is then
// plain, so any cipher set up for it is dropped.
int CheckPlainPassword(Database& db, const std::string& password);

}  // namespace db
