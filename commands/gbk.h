// Walking GBK texts character by character.
#pragma once

namespace commands {

inline bool IsLeadByte(char c) { return (static_cast<unsigned char>(c) & 0x80) != 0; }

// The full-width space, A1 A1.
inline bool IsFullWidthSpace(const char* p) {
  return static_cast<unsigned char>(p[0]) == 0xA1 && static_cast<unsigned char>(p[1]) == 0xA1;
}

}  // namespace commands
