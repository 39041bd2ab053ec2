// Texts between the terminal or a CSV file (UTF-8) and the files (GBK),
// converted only when nothing is lost: a character that GBK lacks is
// refused, never stored as "?" or a look-alike.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qkdb {

// UTF-8 to GBK when every character has a GBK form. Otherwise false, and
// *refused names the first character that has none ("U+1F600 😀"), or says
// the text is not valid UTF-8.
bool ToGbkExactly(std::string_view utf8, std::string* gbk, std::string* refused);

// True when the bytes are valid UTF-8 (a byte-order mark included).
bool IsValidUtf8(std::string_view bytes);

// GBK to UTF-8 when the bytes are valid GBK; otherwise false.
bool FromGbkExactly(std::string_view gbk, std::string* utf8);

// The longest start of a GBK text that has at most max_bytes bytes and does
// not split a double-byte character.
std::size_t GbkCutPoint(std::string_view gbk, std::size_t max_bytes);

}  // namespace qkdb
