// The notebook's database key: a typed password turned into 32 lowercase
// hexadecimal digits, so the password itself never reaches the database.
//   T = Trim(P); B = ToBytes(T); K1 = Digest(B);
//   C = EncryptData(B, K1, 1); key = Digest(C)
// Passwords equal after trimming give equal keys; the empty one has a key
// too.
#pragma once

namespace commands {

// A new heap text (owned by the caller, never null). The intermediate
// texts and blocks are wiped before they are freed.
char* DeriveDatabaseKey(const char* password);

}  // namespace commands
