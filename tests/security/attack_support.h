// Databases with the notebook's record layout, made and changed through the
// engine as the notebook does, and the raw bytes of their files, for the
// demonstrations of what a copy of the file gives away.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/value.h"

namespace security {

struct Site {
  std::string name, address, account, password, remarks;
};

// Creates `path` with the notebook's fields, adds the sites and sets `key`
// (a notebook key: 32 hexadecimal digits). Leaves nothing open; false
// when the engine refused a step.
bool MakeNotebook(const std::string& path, const std::vector<Site>& sites, const std::string& key);

// Opens `path` exclusively with `key`; the database is current until
// CloseAll(). False when the engine refuses.
bool OpenNotebook(const std::string& path, const std::string& key);
void CloseAll();

std::vector<std::uint8_t> FileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

// Byte-wise XOR over the length of the shorter one.
std::vector<std::uint8_t> Xor(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b);

// The file position of a text field (0-based field number) of a record
// (0-based) in the current database.
std::uint64_t FieldPos(std::int64_t record, int field);

// The text of a field of the 1-based record in the current database
// ("(unreadable)" when the engine fails).
std::string ReadText(std::int64_t record, int field);

// The notebook's field numbers.
namespace field {
inline constexpr int kName = 1, kAddress = 2, kAccount = 3, kPassword = 4, kRemarks = 5;
}

}  // namespace security
