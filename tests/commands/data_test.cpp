// Digest, EncryptData and Delay. The known answers of EncryptData and of the
// key derivation were computed independently (OpenSSL's DES with the
// bit-reversed key, Python's MD5).
#include <gtest/gtest.h>

#include "commands/data.h"
#include "commands/key_derivation.h"
#include "commands/special.h"
#include "platform/sim/sim_host.h"
#include "runtime/state.h"
#include "tests/commands/call.h"

namespace commands {
namespace {

using namespace testing;  // Call, Result and the value makers (tests/commands/call.h)

struct Block {
  explicit Block(const std::string& bytes) : owned(rt::MakeBytes(bytes.data(), static_cast<std::int64_t>(bytes.size()))) {}
  rt::Value value() const { return rt::Value::Pointer(owned.get(), rt::type::kBytes); }
  rt::Owned<void> owned;
};

std::string Hex(const std::string& bytes) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out.push_back(kHex[c >> 4]);
    out.push_back(kHex[c & 15]);
  }
  return out;
}

std::string DigestOf(rt::Value v) { return Result(Call(Digest, {v})).text(); }

std::string Encrypt(const std::string& data, const std::string& password, rt::Value algorithm = Omitted()) {
  Block block(data);
  Result r(Call(EncryptData, {block.value(), Txt(password.c_str()), algorithm}));
  return r.null() ? std::string("<null>") : r.bytes();
}

TEST(Digest, Md5InLowercaseHex) {
  EXPECT_EQ(DigestOf(rt::Value::Pointer(nullptr, rt::type::kBytes)), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(DigestOf(Block("abc").value()), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(DigestOf(Block("message digest").value()), "f96b697d7cb7938d525a2f31aaf161d0");
  std::string long_input(1000, 'a');
  std::string hex = DigestOf(Block(long_input).value());
  EXPECT_EQ(hex.size(), 32u);
  EXPECT_EQ(hex.find_first_not_of("0123456789abcdef"), std::string::npos);
}

TEST(EncryptData, BlockCipherLengths) {
  EXPECT_EQ(Encrypt("a", "k").size(), 8u);
  EXPECT_EQ(Encrypt("abcd", "k").size(), 8u);
  EXPECT_EQ(Encrypt("abcde", "k").size(), 16u);
  EXPECT_EQ(Encrypt(std::string(12, 'x'), "k").size(), 16u);
  EXPECT_EQ(Encrypt(std::string(13, 'x'), "k").size(), 24u);
  EXPECT_EQ(Encrypt("", "k"), "<null>");
  EXPECT_EQ(Encrypt("", "k", rt::Value::Int(2)), "<null>");
}

TEST(EncryptData, BlockCipherKnownAnswers) {
  // The published DES vector (key 133457799BBCDFF1, plaintext
  // 0123456789ABCDEF, cipher 85E813540F0AB405) as the second block: the
  // password is that key with every byte's bits reversed.
  std::string data = std::string("????") + "\x01\x23\x45\x67\x89\xAB\xCD\xEF";
  std::string out = Encrypt(data, "\xC8\x2C\xEA\x9E\xD9\x3D\xFB\x8F");
  ASSERT_EQ(out.size(), 16u);
  EXPECT_EQ(Hex(out.substr(8)), "85e813540f0ab405");

  EXPECT_EQ(Hex(Encrypt("abc", "900150983cd24fb0d6963f7d28e17f72")), "16e0b4b42254e9b8");
  EXPECT_EQ(Hex(Encrypt("0123456789abc", "secret")), "281568a007eafc5b3a544557fb73c01e7548654fb20e94a5");
}

TEST(EncryptData, BlockCipherKeyFolding) {
  std::string data = "some record data";
  // The most significant bit of each password byte is a parity position.
  EXPECT_EQ(Encrypt(data, "pass"), Encrypt(data, "p\xE1ss"));
  // Passwords that fold to the same 8 bytes give the same cipher.
  EXPECT_EQ(Encrypt(data, "abcdefghAB"), Encrypt(data, std::string("\x20\x20") + "cdefgh"));
  EXPECT_EQ(Encrypt(data, "12345678" "12345678"), Encrypt(data, ""));
  EXPECT_NE(Encrypt(data, "12345678"), Encrypt(data, ""));
  // Only an Int 2 selects the stream cipher.
  EXPECT_EQ(Encrypt(data, "k", rt::Value::Double(2)), Encrypt(data, "k"));
  EXPECT_EQ(Encrypt(data, "k", rt::Value::Int(1)), Encrypt(data, "k"));
  EXPECT_EQ(Encrypt(data, "k", rt::Value::Int(3)), Encrypt(data, "k"));
}

TEST(EncryptData, StreamCipher) {
  rt::Value rc4 = rt::Value::Int(2);
  EXPECT_EQ(Hex(Encrypt("Plaintext", "Key", rc4)), "bbf316e8d940af0ad3");
  EXPECT_EQ(Hex(Encrypt("pedia", "Wiki", rc4)), "1021bf0420");
  std::string data("\x00\x01\x02 data \xFF", 10);
  std::string once = Encrypt(data, "密码", rc4);
  EXPECT_EQ(once.size(), data.size());
  EXPECT_EQ(Encrypt(once, "密码", rc4), data);
  // An empty password keeps the identity permutation: the keystream starts
  // with S[1] = 1, then S[2] + ... as the generator swaps.
  EXPECT_EQ(Encrypt(std::string(1, '\0'), "", rc4), std::string(1, '\x02'));
}

TEST(KeyDerivation, KnownAnswers) {
  auto key = [](const char* password) {
    rt::OwnedText k(DeriveDatabaseKey(password));
    return std::string(k.get());
  };
  EXPECT_EQ(key(""), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(key(" \xA1\xA1 "), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(key(nullptr), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(key("abc"), "dcac9e952ca3e5e5ceaffccf997801cd");
  EXPECT_EQ(key("password123"), "837ac0973b1056bc1eeb816e91124ce9");
  EXPECT_EQ(key("密码"), "cd8683d1cf87c1c4adeb44681351b846");
  EXPECT_EQ(key("  密码  "), "cd8683d1cf87c1c4adeb44681351b846");
  EXPECT_EQ(key("\xA1\xA1密码\xA1\xA1"), "cd8683d1cf87c1c4adeb44681351b846");
  EXPECT_EQ(key("Quillkeep 笔记本"), "5cb94439edf3da2a4dfb446f654dfde9");
  EXPECT_NE(key("abc\t"), key("abc"));  // a tab is no blank
}

int g_message_rounds = 0;
std::intptr_t CountingRequest(std::int32_t code, std::intptr_t, std::intptr_t) {
  if (code == 2018) ++g_message_rounds;
  return 0;
}

class DelayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = rt::State().windows.window_request;
    rt::State().windows.window_request = CountingRequest;
    g_message_rounds = 0;
  }
  void TearDown() override { rt::State().windows.window_request = saved_; }
  rt::RequestFunction saved_ = nullptr;
  platform::sim::ScopedSimHost host_;
};

TEST_F(DelayTest, ZeroOrNegativeReturnsAtOnce) {
  Result(Call(Delay, {rt::Value::Int(0)}));
  Result(Call(Delay, {rt::Value::Int(-5)}));
  EXPECT_EQ(g_message_rounds, 0);
}

TEST_F(DelayTest, KeepsProcessingMessagesUntilTheTimeIsUp) {
  std::uint32_t before = host_->TickCount();
  Result(Call(Delay, {rt::Value::Int(100)}));
  std::uint32_t after = host_->TickCount();
  EXPECT_GT(after - before, 100u);
  EXPECT_GE(g_message_rounds, 2 * 100);
  EXPECT_EQ(g_message_rounds % 2, 0);
}

TEST_F(DelayTest, SurvivesTheTickCounterWrapping) {
  host_->AdvanceTicks(0xFFFFFFF0u - host_->TickCount());
  Result(Call(Delay, {rt::Value::Int(100)}));
  EXPECT_GT(g_message_rounds, 2 * 50);  // did not stop at the wrap
  EXPECT_LT(g_message_rounds, 2 * 200);
}

}  // namespace
}  // namespace commands
