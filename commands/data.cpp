#include "commands/data.h"

#include <climits>
#include <cstring>

#include "crypto/des.h"
#include "crypto/md5.h"
#include "crypto/rc4.h"
#include "platform/coding.h"
#include "runtime/helpers.h"
#include "runtime/memory.h"
#include "runtime/services.h"

namespace commands {
namespace {

constexpr std::int32_t kAllocateRequest = 2024;

rt::DataView BytesArgument(const rt::Value& v) {
  if (v.type != rt::type::kBytes) return rt::DataView{};
  return rt::ValueData(v);
}

// The data model of algorithm 1: 8 zero bytes, then every password byte
// XOR-ed into key byte (position mod 8).
crypto::DesKey FoldPassword(const char* password) {
  crypto::DesKey key{};
  for (std::size_t i = 0; password[i] != '\0'; ++i) key[i % 8] ^= static_cast<std::uint8_t>(password[i]);
  return key;
}

void* BlockCipher(rt::DataView data, const char* password) {
  // n, the data and zero fill up to a multiple of 8, enciphered block by
  // block. The length field is 32 bits: larger inputs cannot be described.
  if (data.size == 0 || data.size > static_cast<std::size_t>(INT32_MAX) - 11) return nullptr;
  std::size_t length = (data.size + 4 + 7) / 8 * 8;
  auto* block = reinterpret_cast<std::uint8_t*>(
      rt::Request(kAllocateRequest, static_cast<std::intptr_t>(rt::kBytesHeader + length), 1));
  if (block == nullptr) return nullptr;  // no working buffer: an empty result
  std::int32_t header[2] = {1, static_cast<std::int32_t>(length)};
  std::memcpy(block, header, sizeof header);
  std::uint8_t* buffer = block + rt::kBytesHeader;
  platform::EncodeU32(buffer, static_cast<std::uint32_t>(data.size));
  std::memcpy(buffer + 4, data.data, data.size);
  std::memset(buffer + 4 + data.size, 0, length - 4 - data.size);

  crypto::DesKey folded = FoldPassword(password);
  crypto::DesKey key = crypto::ReverseBitsInBytes(folded);
  {
    crypto::Des des(key);
    for (std::size_t at = 0; at < length; at += 8) des.EncryptBlock(buffer + at, buffer + at);
    rt::WipeMemory(&des, sizeof des);
  }
  rt::WipeMemory(folded.data(), folded.size());
  rt::WipeMemory(key.data(), key.size());
  return block;
}

void* StreamCipher(rt::DataView data, const char* password) {
  void* block = rt::MakeBytes(data.data, static_cast<std::int64_t>(data.size));
  if (block == nullptr) return nullptr;
  crypto::Rc4State state;
  crypto::Rc4Schedule(state, password, std::strlen(password));
  crypto::Rc4Xor(state, static_cast<std::uint8_t*>(block) + rt::kBytesHeader, data.size);
  rt::WipeMemory(&state, sizeof state);
  return block;
}

}  // namespace

void Digest(rt::Value* result, std::int32_t, rt::Value* argv) {
  rt::DataView data = BytesArgument(argv[0]);
  char hex[32];
  crypto::Md5HexInto(crypto::Md5Of(data.data != nullptr ? data.data : "", data.size), hex);
  *result = rt::Value::Text(rt::CopyTextN(hex, sizeof hex));
}

void EncryptData(rt::Value* result, std::int32_t argc, rt::Value* argv) {
  rt::DataView data = BytesArgument(argv[0]);
  const char* password = argv[1].text() != nullptr ? argv[1].text() : "";
  bool stream = argc >= 3 && argv[2].type == rt::type::kInt && argv[2].as_int() == 2;
  *result = rt::Value::Pointer(stream ? StreamCipher(data, password) : BlockCipher(data, password), rt::type::kBytes);
}

}  // namespace commands
