#include "db/password.h"

#include <cstring>
#include <vector>

#include "db/database.h"
#include "db/db_file.h"
#include "db/errors.h"
#include "db/password_dialog.h"
#include "db/rollback.h"
#include "runtime/memory.h"

namespace db {
namespace {

constexpr int kAttemptsWhenAsking = 3;
constexpr std::size_t kRecipherPiece = 10240;

bool HasMagic(const std::uint8_t* header, const char (&magic)[4]) { return std::memcmp(header, magic, 4) == 0; }

bool CheckMatches(const std::uint8_t* header, std::string_view password) {
  if (password.empty()) return false;
  PasswordDigest digest = DigestOfPassword(password);
  bool match = PasswordCheckMatches(header + kPasswordCheckPos, digest);
  rt::WipeMemory(digest.data(), digest.size());
  return match;
}

// Rewrites [from, to) of the file: read through `reading`, written through
// `writing`. *done tells where it stopped.
int RewritePieces(DbFile& file, std::uint64_t from, std::uint64_t to, std::uint64_t* done) {
  platform::SecretBuffer piece(kRecipherPiece);  // plain file bytes
  std::uint64_t pos = from;
  int code = 0;
  while (pos < to) {
    std::size_t want = std::size_t(std::min<std::uint64_t>(kRecipherPiece, to - pos));
    code = file.ReadExact(pos, piece.data(), want, err::kRecipherFailed);
    if (code == 0) code = file.WriteAt(pos, piece.data(), want);
    if (code != 0) break;
    pos += want;
  }
  *done = pos;
  return code;
}

// Puts the whole file (from offset 4) under `next`. On failure the old
// state stays in force in memory; the bytes already rewritten are put back
// by the rollback copy.
int Reencipher(DbFile& file, const CipherState& next) {
  FileCipher& cipher = file.cipher();
  if (cipher.reading().SameAs(next)) return 0;
  std::uint64_t size = 0;
  int code = file.Size(&size);
  if (code != 0) return code;
  std::uint64_t done = kCipherStartOffset;
  const CipherState old = cipher.reading();
  cipher.SetWriting(next);
  code = RewritePieces(file, kCipherStartOffset, size, &done);
  if (code == 0) {
    cipher.CommitWriting();
    return 0;
  }
  cipher.Set(old);
  return code;
}

void StoreHeaderFields(std::uint8_t* header, std::string_view password) {
  std::memcpy(header + kMagicPos, password.empty() ? kPlainMagic : kCipheredMagic, 4);
  PasswordCheck check = PasswordCheckFor(password);
  std::memcpy(header + kPasswordCheckPos, check.data(), check.size());
  rt::WipeMemory(check.data(), check.size());
}

}  // namespace

CipherState InitialCipherState(std::string_view password_argument) {
  return MakeCipherState(password_argument == kAskPassword ? std::string_view() : password_argument);
}

int CheckPasswordAtOpen(DbFile& main, std::string_view password_argument, std::uint8_t header[kHeaderSize]) {
  const bool ask = password_argument == kAskPassword;
  if (!HasMagic(header, kCipheredMagic)) {
    return !password_argument.empty() && !ask ? err::kBadPassword : 0;
  }
  const int attempts = ask ? kAttemptsWhenAsking : 1;
  for (int failed = 0; failed < attempts; ++failed) {
    platform::Secret typed;
    std::string_view password = password_argument;
    if (ask) {
      if (!RunPasswordDialog(failed, &typed)) break;
      password = typed.view();
    }
    main.cipher().Set(MakeCipherState(password));
    int code = main.ReadExact(0, header, kHeaderSize, err::kNotDatabase);
    if (code != 0) return code;
    if (CheckMatches(header, password)) return 0;
  }
  return err::kBadPassword;
}

int ChangeDatabasePassword(Database& database, std::string_view new_password) {
  if (new_password == kAskPassword) return err::kInvalidPasswordText;
  WholeLock lock(database.main);
  if (lock.code() != 0) return lock.code();

  const CipherState old = database.main.cipher().reading();
  const CipherState next = MakeCipherState(new_password);
  DbFile* aux = database.aux.get();
  // Both files are rewritten in place; a crash half way would leave part
  // of them under each password. Their bytes are saved beside the database
  // first (flushed before the first rewrite), so a change that does not
  // finish is turned back, here or by the next open.
  RollbackCopy rollback;
  auto fail = [&](int code) {
    rollback.TurnBack();
    database.main.cipher().Set(old);
    if (aux != nullptr) aux->cipher().Set(old);
    return code;
  };
  std::uint64_t main_size = 0, aux_size = 0;
  int code = database.main.Size(&main_size);
  if (code == 0 && aux != nullptr) code = aux->Size(&aux_size);
  if (code == 0) code = rollback.Begin(database.full_path, database.main, aux);
  if (code == 0) code = rollback.Save(database.main, 0, main_size);
  if (code == 0 && aux != nullptr) code = rollback.Save(*aux, 0, aux_size);
  if (code != 0) return fail(err::kRecipherFailed);

  if (Reencipher(database.main, next) != 0) return fail(err::kRecipherFailed);
  if (aux != nullptr && Reencipher(*aux, next) != 0) return fail(err::kRecipherFailed);

  std::uint8_t fields[kHeaderSize];
  std::memcpy(fields, database.header, kHeaderSize);
  StoreHeaderFields(fields, new_password);
  code = database.main.WriteAt(kMagicPos, fields + kMagicPos, 4);
  if (code == 0) code = database.main.WriteAt(kPasswordCheckPos, fields + kPasswordCheckPos, kPasswordCheckSize);
  // Both files flushed, then the copy removed: only now is the change done.
  if (code == 0) code = rollback.Commit();
  if (code != 0) {
    rt::WipeMemory(fields, sizeof fields);
    return fail(code);
  }
  std::memcpy(database.header, fields, kHeaderSize);
  rt::WipeMemory(fields, sizeof fields);
  return lock.Release();
}

}  // namespace db
