#include "db/cipher_password.h"

#include <algorithm>
#include <utility>

#include "crypto/md5.h"
#include "runtime/memory.h"

namespace db {

PasswordDigest DigestOfPassword(std::string_view password) {
  PasswordDigest digest;
  crypto::Md5Digest md5 = crypto::Md5Of(password.data(), password.size());
  crypto::Md5HexInto(md5, digest.data());
  for (std::size_t i = 0; i < digest.size(); i += 2) std::swap(digest[i], digest[i + 1]);
  std::reverse(digest.begin(), digest.end());
  rt::WipeMemory(md5.data(), md5.size());
  return digest;
}

PasswordCheck PasswordCheckFor(std::string_view password) {
  PasswordCheck check{};
  if (!password.empty()) {
    PasswordDigest digest = DigestOfPassword(password);
    std::copy(digest.begin(), digest.end(), check.begin());
    rt::WipeMemory(digest.data(), digest.size());
  }
  return check;
}

bool PasswordCheckMatches(const std::uint8_t* field, const PasswordDigest& digest) {
  auto lower = [](std::uint8_t c) { return c >= 'A' && c <= 'Z' ? std::uint8_t(c + 32) : c; };
  // The digest is exactly 32 characters, so the field matches only when its
  // text ends right after them.
  for (std::size_t i = 0; i < digest.size(); ++i) {
    if (field[i] == 0 || lower(field[i]) != lower(std::uint8_t(digest[i]))) return false;
  }
  return field[digest.size()] == 0;
}

}  // namespace db
