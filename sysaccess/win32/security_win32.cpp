// File security on advapi32.
#include "sysaccess/win32/security_win32.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <vector>

#include "sysaccess/sys_error.h"
#include "sysaccess/win32/wide.h"

namespace vl::sys {

using win32::Narrow;
using win32::Wide;

namespace {

// SYSTEM and Administrators full control, for this folder and everything
// below it; "P": nothing inherited from the parent.
const wchar_t kAdminOnlyDacl[] = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";

struct LocalMemory {
  void* p = nullptr;
  ~LocalMemory() {
    if (p) LocalFree(p);
  }
};

struct Handle {
  HANDLE h = nullptr;
  ~Handle() {
    if (h) CloseHandle(h);
  }
};

std::string SidText(PSID sid) {
  if (!sid) return "";
  LPWSTR text = nullptr;
  if (!ConvertSidToStringSidW(sid, &text)) return "";
  std::string s = Narrow(text);
  LocalFree(text);
  return s;
}

GENERIC_MAPPING FileMapping() {
  return {FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
}

}  // namespace

uint32_t Win32Security::CreateAdminOnlyFolder(const std::string& path) {
  LocalMemory sd;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kAdminOnlyDacl, SDDL_REVISION_1, &sd.p, nullptr))
    return GetLastError();
  std::wstring p = Wide(path);
  while (p.size() > 3 && (p.back() == L'\\' || p.back() == L'/')) p.pop_back();
  SECURITY_ATTRIBUTES sa{sizeof(sa), sd.p, FALSE};
  if (!CreateDirectoryW(p.c_str(), &sa)) return GetLastError();
  // Set again as a protected list, so that a later change to the parent's
  // inheritable entries never reaches this folder.
  BOOL present = FALSE, defaulted = FALSE;
  PACL dacl = nullptr;
  if (!GetSecurityDescriptorDacl(sd.p, &present, &dacl, &defaulted)) return GetLastError();
  return SetNamedSecurityInfoW(&p[0], SE_FILE_OBJECT, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                               nullptr, nullptr, dacl, nullptr);
}

uint32_t Win32Security::ReadSecurity(const std::string& path, PathSecurity& out) {
  out = {};
  std::wstring p = Wide(path);
  PSID owner = nullptr;
  PACL dacl = nullptr;
  LocalMemory sd;
  DWORD e = GetNamedSecurityInfoW(p.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                  &owner, nullptr, &dacl, nullptr, reinterpret_cast<PSECURITY_DESCRIPTOR*>(&sd.p));
  if (e != ERROR_SUCCESS) return e;
  out.owner = SidText(owner);
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  if (GetSecurityDescriptorControl(sd.p, &control, &revision)) out.protectedDacl = (control & SE_DACL_PROTECTED) != 0;
  if (!dacl) {
    out.nullDacl = true;
    return 0;
  }
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    void* raw = nullptr;
    if (!GetAce(dacl, i, &raw)) return GetLastError();
    auto* header = static_cast<ACE_HEADER*>(raw);
    AccessEntry a;
    a.flags = header->AceFlags;
    // The plain and the callback kinds share one layout: header, mask, SID.
    switch (header->AceType) {
      case ACCESS_ALLOWED_ACE_TYPE:
      case ACCESS_ALLOWED_CALLBACK_ACE_TYPE: a.allow = true; break;
      case ACCESS_DENIED_ACE_TYPE:
      case ACCESS_DENIED_CALLBACK_ACE_TYPE: a.allow = false; break;
      default: continue;  // object entries belong to directory objects
    }
    auto* ace = static_cast<ACCESS_ALLOWED_ACE*>(raw);
    a.mask = ace->Mask;
    a.sid = SidText(&ace->SidStart);
    out.entries.push_back(a);
  }
  return 0;
}

uint32_t Win32Security::CheckUnelevatedAccess(const std::string& path, UnelevatedAccess& out) {
  out = {};
  Handle process;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE, &process.h)) return GetLastError();
  TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
  DWORD size = 0;
  if (!GetTokenInformation(process.h, TokenElevationType, &type, sizeof type, &size)) return GetLastError();
  Handle token;
  if (type == TokenElevationTypeFull) {
    // The filtered token the same logon runs the user's other programs with.
    TOKEN_LINKED_TOKEN linked{};
    if (!GetTokenInformation(process.h, TokenLinkedToken, &linked, sizeof linked, &size)) return GetLastError();
    token.h = linked.LinkedToken;
  } else if (type == TokenElevationTypeLimited) {
    // Not elevated: this process's own token is the limited one.
    if (!DuplicateToken(process.h, SecurityIdentification, &token.h)) return GetLastError();
  } else {
    return 0;  // no split token: UAC is off, or the account is not an administrator
  }
  out.hasToken = true;
  std::wstring p = Wide(path);
  LocalMemory sd;
  DWORD e = GetNamedSecurityInfoW(p.c_str(), SE_FILE_OBJECT,
                                  OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                  nullptr, nullptr, nullptr, nullptr, reinterpret_cast<PSECURITY_DESCRIPTOR*>(&sd.p));
  if (e != ERROR_SUCCESS) return e;
  GENERIC_MAPPING mapping = FileMapping();
  std::vector<BYTE> privileges(512);
  DWORD privilegesSize = static_cast<DWORD>(privileges.size());
  DWORD granted = 0;
  BOOL status = FALSE;
  if (!AccessCheck(sd.p, token.h, MAXIMUM_ALLOWED, &mapping, reinterpret_cast<PPRIVILEGE_SET>(privileges.data()),
                   &privilegesSize, &granted, &status))
    return GetLastError();
  out.granted = status ? granted : 0;
  return 0;
}

std::string Win32Security::UserSid() {
  Handle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token.h)) return "";
  DWORD size = 0;
  GetTokenInformation(token.h, TokenUser, nullptr, 0, &size);
  if (size == 0) return "";
  std::vector<BYTE> buf(size);
  if (!GetTokenInformation(token.h, TokenUser, buf.data(), size, &size)) return "";
  return SidText(reinterpret_cast<TOKEN_USER*>(buf.data())->User.Sid);
}

std::string Win32Security::AccountName(const std::string& sidText) {
  PSID sid = nullptr;
  if (!ConvertStringSidToSidW(Wide(sidText).c_str(), &sid)) return sidText;
  wchar_t name[256], domain[256];
  DWORD nameSize = 256, domainSize = 256;
  SID_NAME_USE use;
  std::string result = sidText;
  if (LookupAccountSidW(nullptr, sid, name, &nameSize, domain, &domainSize, &use)) {
    std::string n = Narrow(name), d = Narrow(domain);
    // Built-in groups read better without their authority.
    result = (d.empty() || d == "BUILTIN" || d == "NT AUTHORITY" || use == SidTypeWellKnownGroup) ? n : d + "\\" + n;
  }
  LocalFree(sid);
  return result;
}

bool Win32Security::UserAccountUnreliable() {
  // Wine, the same way the drive list knows it: ntdll exports wine_get_version.
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

}  // namespace vl::sys
