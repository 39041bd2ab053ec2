// INI files as the Windows private-profile calls read and write them, by a
// reader and writer of our own on every platform (the profile calls keep
// GBK bytes only where the system's code page is 936): sections and keys
// match without regard to ASCII case, values come back without surrounding
// blanks (and without one pair of enclosing quotes), the file is created on
// the first write, and lines the writer does not touch (comments included)
// stay as they are. Texts are GBK; a file saved as UTF-8 (with or without a
// byte-order mark) is read and written as UTF-8, converted at this seam.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// The value of `key` in `section` of `file`, or `default_value` (null =
// empty; trailing blanks removed) when there is none; at most
// buffer_size - 1 bytes. All texts GBK; none of file, section, key is null.
std::string ReadIniString(const char* file, const char* section, const char* key, const char* default_value,
                              std::size_t buffer_size);

// (Not ...ProfileString: windows.h defines macros of those names.)
// Sets key = value in section, creating the file and the section as needed.
// A null key removes the whole section; a null value removes the key.
// False when the file cannot be read or written.
bool WriteIniString(const char* file, const char* section, const char* key, const char* value);

}  // namespace platform
