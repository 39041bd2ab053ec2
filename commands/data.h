// Data operations: the MD5 digest as hexadecimal text, and the block and
// stream ciphers over byte blocks.
#pragma once

#include <cstdint>

#include "runtime/value.h"

namespace commands {

// Digest(data Bytes) -> Text: 32 lowercase hexadecimal digits of the MD5.
void Digest(rt::Value* result, std::int32_t argc, rt::Value* argv);
// EncryptData(data Bytes, password Text, [algorithm Int]) -> Bytes.
// Algorithm 2 (an Int 2 as third argument) is RC4 keyed with the password;
// anything else is DES in ECB mode over the length-prefixed, zero-padded
// data, keyed with the password folded into 8 bytes by XOR, each key byte's
// bits read least significant first.
void EncryptData(rt::Value* result, std::int32_t argc, rt::Value* argv);

}  // namespace commands
