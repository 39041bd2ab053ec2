// The password digest D and the header's password-check field. D is stored
// in the database header so a password can be checked at open without
// deciphering any record.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace db {

// 32 ASCII characters: the MD5 of the password as lower-case hexadecimal,
// each pair of characters swapped, then the whole string reversed.
using PasswordDigest = std::array<char, 32>;

// The password's bytes are the GBK text without its terminator.
PasswordDigest DigestOfPassword(std::string_view password);

// The header's 36-byte passwordCheck field.
inline constexpr std::size_t kPasswordCheckSize = 36;
using PasswordCheck = std::array<std::uint8_t, kPasswordCheckSize>;

// D followed by four zero bytes; all zero for the empty password.
PasswordCheck PasswordCheckFor(std::string_view password);

// True when the field, read as zero-terminated text, equals D ignoring the
// case of letters.
bool PasswordCheckMatches(const std::uint8_t* field, const PasswordDigest& digest);

}  // namespace db
