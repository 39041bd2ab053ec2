// The notebook linked against the real libraries.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/command_table.h"
#include "app/notebook.h"
#include "commands/key_derivation.h"
#include "platform/sim/sim_host.h"
#include "runtime/services.h"

namespace app {
namespace {

TEST(LinkedCommands, EveryEntryIsBound) {
  const CommandTable& table = LinkedCommands();
  constexpr std::size_t kEntries = sizeof(CommandTable) / sizeof(rt::Command);
  static_assert(sizeof(CommandTable) == kEntries * sizeof(rt::Command));
  rt::Command entries[kEntries];
  std::memcpy(entries, &table, sizeof table);
  for (std::size_t i = 0; i < kEntries; ++i) EXPECT_NE(entries[i], nullptr) << "entry " << i;
}

// The real digest and cipher: 32 lowercase hexadecimal digits, the same for
// passwords that differ only by surrounding blanks, different otherwise.
TEST(LinkedCommands, KeyDerivationGivesAHexDigest) {
  platform::sim::ScopedSimHost host;
  std::string key = DeriveKey("secret").c_str();
  ASSERT_EQ(key.size(), 32u);
  EXPECT_EQ(key.find_first_not_of("0123456789abcdef"), std::string::npos);
  EXPECT_EQ(key, DeriveKey("  secret　").c_str());
  EXPECT_NE(key, DeriveKey("Secret").c_str());
  std::string empty = DeriveKey("").c_str();
  EXPECT_EQ(empty.size(), 32u);
  EXPECT_NE(empty, key);
}

// The command library derives the same key on its own; both must agree, or
// a database created by one could not be opened by the other.
TEST(LinkedCommands, KeyDerivationAgreesWithTheCommandLibrary) {
  platform::sim::ScopedSimHost host;
  for (const char* password : {"", "secret", " 口令 ", "a\tb", "0123456789abcdef0123456789"}) {
    char* expected = commands::DeriveDatabaseKey(password);
    EXPECT_STREQ(DeriveKey(password).c_str(), expected) << password;
    rt::Services().FreeMemory(expected);
  }
}

}  // namespace
}  // namespace app
