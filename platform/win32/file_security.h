// Windows file and loading hygiene: files that hold the notebook's secrets
// get an owner-only security descriptor, and DLLs come from the system
// folder only.
#pragma once

#include <windows.h>

#include <string>

namespace platform::win32 {

// Security attributes for a new file: full access for the user running the
// program, SYSTEM and the Administrators, nobody else, and nothing inherited
// from the folder (a folder at the root of a second drive lets every local
// user write, and someone could plant a rollback copy that the next open
// applies). Built once. Null when the descriptor could not be built: the file
// then takes the folder's permissions, as it would without this.
SECURITY_ATTRIBUTES* OwnerOnlyAttributes();

// The security a file replaced through a temporary file should keep: the
// owner-only attributes when the file does not exist yet; its own
// descriptor when that is protected (set by us or by the user); null (the
// folder's inherited permissions, as the file had) otherwise.
class KeptSecurity {
 public:
  explicit KeptSecurity(const std::wstring& path);
  ~KeptSecurity();
  KeptSecurity(const KeptSecurity&) = delete;
  KeptSecurity& operator=(const KeptSecurity&) = delete;
  SECURITY_ATTRIBUTES* attributes() { return chosen_; }

 private:
  PSECURITY_DESCRIPTOR own_ = nullptr;  // the file's descriptor, to be freed
  SECURITY_ATTRIBUTES kept_{};
  SECURITY_ATTRIBUTES* chosen_ = nullptr;
};

// The program folder is often Downloads, where anything may lie beside the
// executable: DLLs are then searched for in the system folder only. On a
// system without that call, the current folder is at least taken out of the
// search. True when the system-folder-only search is in force.
bool LoadLibrariesFromSystemFolderOnly();

}  // namespace platform::win32
