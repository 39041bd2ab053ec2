// Text and conversion commands. Texts are GBK byte strings: a byte with bit 7
// set leads a two-byte character, and no match or cut falls inside one.
#pragma once

#include <cstdint>

#include "runtime/value.h"

namespace commands {

// TextLength(text) -> Int: bytes before the NUL.
void TextLength(rt::Value* result, std::int32_t argc, rt::Value* argv);
// Trim(text) -> Text: without leading and trailing blanks (space, A1 A1).
void Trim(rt::Value* result, std::int32_t argc, rt::Value* argv);
// ReplaceText(text, find, [replacement], [start], [count], caseSensitive) -> Text.
void ReplaceText(rt::Value* result, std::int32_t argc, rt::Value* argv);
// ToInt(value) -> Int.
void ToInt(rt::Value* result, std::int32_t argc, rt::Value* argv);
// ToBytes(value or numeric array) -> Bytes.
void ToBytes(rt::Value* result, std::int32_t argc, rt::Value* argv);
// ToText(value or numeric array) -> Text.
void ToText(rt::Value* result, std::int32_t argc, rt::Value* argv);

// The blank-stripping routine behind Trim.
enum class StripMode { kLeading, kTrailing, kBothEnds, kEverywhere };
// A new heap text (null when nothing remains).
char* StripBlanks(const char* text, StripMode mode);

// Full-width digits, letters and signs to their ASCII forms (see the map in
// text_convert.cpp); with remove_spaces, half- and full-width spaces go.
// A new heap text (null when empty).
char* HalfWidthText(const char* text, bool remove_spaces);

// Decimal integer parse as ToInt does it after the full-width map: leading
// white space, one optional sign, digits up to the first non-digit; values
// beyond the range wrap around.
std::int32_t ParseInt32(const char* text);
std::int64_t ParseInt64(const char* text);

}  // namespace commands
