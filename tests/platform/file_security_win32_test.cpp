// Windows file and loading hygiene (runs under Windows or Wine): new files
// that hold secrets carry a protected DACL for the user, SYSTEM and the
// Administrators only, an existing file keeps its own, and after start-up a
// DLL lying in the current folder is no longer loaded.
#ifdef _WIN32
#include <windows.h>

#include <aclapi.h>
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/ini.h"
#include "platform/win32/file_security.h"
#include "tests/support/temp_folder.h"

namespace platform::win32 {
namespace {

struct Sid {
  std::vector<unsigned char> bytes;
  PSID get() { return bytes.data(); }
};

Sid WellKnown(WELL_KNOWN_SID_TYPE type) {
  Sid sid;
  DWORD size = SECURITY_MAX_SID_SIZE;
  sid.bytes.resize(size);
  if (!::CreateWellKnownSid(type, nullptr, sid.get(), &size)) sid.bytes.clear();
  return sid;
}

Sid CurrentUser() {
  Sid sid;
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return sid;
  DWORD size = 0;
  ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<unsigned char> buffer(size);
  if (::GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
    PSID user = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
    sid.bytes.assign(static_cast<unsigned char*>(user), static_cast<unsigned char*>(user) + ::GetLengthSid(user));
  }
  ::CloseHandle(token);
  return sid;
}

// What a file's DACL says, as far as these checks need it.
struct Dacl {
  bool read = false;
  bool is_protected = false;
  std::vector<Sid> allowed;  // full-access allow entries, in order
  int other_entries = 0;     // anything else
};

Dacl DaclOf(const std::string& path) {
  Dacl out;
  PACL acl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (::GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &acl,
                              nullptr, &descriptor) != ERROR_SUCCESS)
    return out;
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  ::GetSecurityDescriptorControl(descriptor, &control, &revision);
  out.read = acl != nullptr;
  out.is_protected = (control & SE_DACL_PROTECTED) != 0;
  for (DWORD i = 0; acl != nullptr && i < acl->AceCount; ++i) {
    void* entry = nullptr;
    if (!::GetAce(acl, i, &entry)) continue;
    auto* header = static_cast<ACE_HEADER*>(entry);
    auto* allow = static_cast<ACCESS_ALLOWED_ACE*>(entry);
    if (header->AceType == ACCESS_ALLOWED_ACE_TYPE && (allow->Mask & FILE_ALL_ACCESS) == FILE_ALL_ACCESS) {
      PSID sid = &allow->SidStart;
      Sid copy;
      copy.bytes.assign(static_cast<unsigned char*>(sid), static_cast<unsigned char*>(sid) + ::GetLengthSid(sid));
      out.allowed.push_back(copy);
    } else {
      ++out.other_entries;
    }
  }
  ::LocalFree(descriptor);
  return out;
}

// Wine derives a file's DACL from its Unix mode bits and keeps no
// descriptor of its own, so the entries can only be checked on Windows (the
// Windows checklist has the manual check).
bool UnderWine() { return ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr; }

void ExpectOwnerOnly(const std::string& path) {
  if (UnderWine()) return;
  Dacl dacl = DaclOf(path);
  ASSERT_TRUE(dacl.read) << path << ": no DACL could be read";
  EXPECT_TRUE(dacl.is_protected) << path << ": entries inherited from the folder apply";
  EXPECT_EQ(dacl.other_entries, 0) << path;
  ASSERT_EQ(dacl.allowed.size(), 3u) << path;
  Sid expected[3] = {CurrentUser(), WellKnown(WinLocalSystemSid), WellKnown(WinBuiltinAdministratorsSid)};
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(::EqualSid(dacl.allowed[i].get(), expected[i].get())) << path << " entry " << i;
}

TEST(FileSecurity, NewFilesAreOwnerOnlyAndExistingOnesKeepTheirDescriptor) {
  qktest::TempFolder folder;
  ASSERT_NE(OwnerOnlyAttributes(), nullptr);

  // Every file the engine makes goes through here: database, auxiliary,
  // index and rollback files.
  std::string made = folder.File("user.vdb");
  std::unique_ptr<File> file;
  ASSERT_EQ(CurrentFileSystem().Open(made, FileAccess::kReadWrite, share::kReadWrite, FileDisposition::kCreateAlways,
                                     &file),
            FileError::kNone);
  file.reset();
  ExpectOwnerOnly(made);

  // The settings file: made owner-only, and still so after later writes.
  std::string ini = folder.File("user.ini");
  ASSERT_TRUE(WriteIniString(ini.c_str(), "user", "name", "me"));
  ASSERT_TRUE(WriteIniString(ini.c_str(), "user", "lock", "5"));
  ExpectOwnerOnly(ini);
  EXPECT_EQ(ReadIniString(ini.c_str(), "user", "lock", "", 16), "5");

  // A file someone made beforehand keeps its descriptor: opening or
  // rewriting it does not take the user's choice away.
  std::string existing = folder.File("old.vdb");
  std::ofstream(existing) << "x";
  Dacl before = DaclOf(existing);
  ASSERT_EQ(CurrentFileSystem().Open(existing, FileAccess::kReadWrite, share::kReadWrite,
                                     FileDisposition::kCreateAlways, &file),
            FileError::kNone);
  file.reset();
  Dacl after = DaclOf(existing);
  EXPECT_EQ(after.is_protected, before.is_protected);
  EXPECT_EQ(after.allowed.size(), before.allowed.size());
}

TEST(FileSecurity, AfterStartUpADllInTheCurrentFolderIsNotLoaded) {
  // A file that is no DLL, under a name found nowhere else: found in the
  // current folder it fails as a bad image (193); not searched there, it is
  // simply not found (126).
  qktest::TempFolder folder;
  const std::string name = "qk_planted_probe.dll";
  std::ofstream(folder.File(name), std::ios::binary) << "not a library";
  char previous[MAX_PATH];
  ::GetCurrentDirectoryA(MAX_PATH, previous);
  ASSERT_TRUE(::SetCurrentDirectoryA(folder.path().string().c_str()));

  HMODULE before = ::LoadLibraryA(name.c_str());
  DWORD before_error = ::GetLastError();
  if (before != nullptr) ::FreeLibrary(before);
  bool searched_here = before == nullptr && before_error == ERROR_BAD_EXE_FORMAT;

  EXPECT_TRUE(LoadLibrariesFromSystemFolderOnly());
  HMODULE after = ::LoadLibraryA(name.c_str());
  DWORD after_error = ::GetLastError();
  if (after != nullptr) ::FreeLibrary(after);
  ::SetCurrentDirectoryA(previous);

  EXPECT_EQ(after, nullptr);
  EXPECT_EQ(after_error, static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  if (!searched_here) GTEST_SKIP() << "this system never searched the current folder (" << before_error << ")";
  // The system's own libraries still load.
  HMODULE system = ::LoadLibraryA("version.dll");
  EXPECT_NE(system, nullptr);
  if (system != nullptr) ::FreeLibrary(system);
}

}  // namespace
}  // namespace platform::win32
#endif
