// The access password of a database: the check made when a file is opened,
// and changing the password, which re-enciphers the database and auxiliary
// files in place.
#pragma once

#include <string_view>

#include "db/cipher.h"
#include "db/format.h"

namespace db {

struct Database;
class DbFile;

// The password argument that asks the user through the password dialog.
inline constexpr std::string_view kAskPassword = "?";

// The main file's cipher state before its header is read: from the password
// argument, with "?" counting as no password.
CipherState InitialCipherState(std::string_view password_argument);

// The password check of an open, once the 112-byte header has been read
// through `main` with InitialCipherState(). "QVDB" passes unless a real
// password was given. "QCDB" compares the header's check field with the
// digest of the password (with "?": of what is typed into the dialog, up to
// three attempts); each attempt re-reads the header through the new state.
// Returns 0 (main's cipher then holds the password found, to be given to the
// auxiliary file too, and header holds the bytes read with it), -78, or a
// file error code.
int CheckPasswordAtOpen(DbFile& main, std::string_view password_argument, std::uint8_t header[kHeaderSize]);

// Sets the database's access password: re-enciphers the main file and then
// the auxiliary file in 10,240-byte pieces and rewrites the magic and the
// check field (an empty password makes both files plain). Both files are
// saved to a rollback copy beside the database first (rollback.h): when
// anything fails, every byte already rewritten is put back, here or (after
// a crash) by the next open, so the database stays readable with the old
// password; the result is then -79 (or the file error of the final header
// write and flush). "?" gives -80. Holds a nested whole-file lock meanwhile.
int ChangeDatabasePassword(Database& database, std::string_view new_password);

}  // namespace db
