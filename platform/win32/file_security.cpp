#include "platform/win32/file_security.h"

#include <aclapi.h>
#include <sddl.h>

#include <string>
#include <vector>

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

namespace platform::win32 {
namespace {

// The SID of the user the process runs as, in its string form.
std::wstring CurrentUserSid() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return std::wstring();
  DWORD size = 0;
  ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<unsigned char> buffer(size);
  std::wstring out;
  if (size != 0 && ::GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
    wchar_t* text = nullptr;
    if (::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) {
      out = text;
      ::LocalFree(text);
    }
  }
  ::CloseHandle(token);
  return out;
}

SECURITY_ATTRIBUTES* Build() {
  std::wstring user = CurrentUserSid();
  if (user.empty()) return nullptr;
  // D:P = a protected DACL (no inherited entries); FA = full access; SY =
  // SYSTEM; BA = the built-in Administrators.
  std::wstring sddl = L"D:P(A;;FA;;;" + user + L")(A;;FA;;;SY)(A;;FA;;;BA)";
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr))
    return nullptr;
  // Kept for the life of the process.
  static SECURITY_ATTRIBUTES attributes;
  attributes.nLength = sizeof attributes;
  attributes.lpSecurityDescriptor = descriptor;
  attributes.bInheritHandle = FALSE;
  return &attributes;
}

}  // namespace

SECURITY_ATTRIBUTES* OwnerOnlyAttributes() {
  static SECURITY_ATTRIBUTES* const attributes = Build();
  return attributes;
}

KeptSecurity::KeptSecurity(const std::wstring& path) {
  if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    chosen_ = OwnerOnlyAttributes();
    return;
  }
  PACL dacl = nullptr;
  if (::GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                              nullptr, &own_) != ERROR_SUCCESS) {
    own_ = nullptr;
    return;
  }
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  if (::GetSecurityDescriptorControl(own_, &control, &revision) && (control & SE_DACL_PROTECTED) != 0) {
    kept_.nLength = sizeof kept_;
    kept_.lpSecurityDescriptor = own_;
    kept_.bInheritHandle = FALSE;
    chosen_ = &kept_;
  }
}

KeptSecurity::~KeptSecurity() {
  if (own_ != nullptr) ::LocalFree(own_);
}

bool LoadLibrariesFromSystemFolderOnly() {
  using SetDefaultDirectories = BOOL(WINAPI*)(DWORD);
  // Looked up, not linked: Windows 7 without its loader update lacks it.
  auto set = reinterpret_cast<SetDefaultDirectories>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
  if (set != nullptr && set(LOAD_LIBRARY_SEARCH_SYSTEM32)) return true;
  ::SetDllDirectoryW(L"");
  return false;
}

}  // namespace platform::win32
