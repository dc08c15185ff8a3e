// Registry primitives on advapi32 (wide functions).
#include "sysaccess/win32/registry_win32.h"

#include <windows.h>

#include <mutex>
#include <vector>

#include "sysaccess/win32/wide.h"

namespace vl::sys {

using win32::Narrow;
using win32::Wide;

namespace {

HKEY H(RegKey k) { return reinterpret_cast<HKEY>(k); }
bool IsRoot(RegKey k) { return k >= 0x80000000u && k <= 0x80000006u; }

using DeleteTreeFn = LONG(WINAPI*)(HKEY, LPCWSTR);
using DeleteKeyExFn = LONG(WINAPI*)(HKEY, LPCWSTR, REGSAM, DWORD);

// Looked up once in the already loaded advapi32, even when threads race.
struct Bindings {
  DeleteTreeFn deleteTree = nullptr;
  DeleteKeyExFn deleteKeyEx = nullptr;
};
const Bindings& Bound() {
  static std::once_flag once;
  static Bindings b;
  std::call_once(once, [] {
    if (HMODULE adv = GetModuleHandleW(L"advapi32.dll")) {
      b.deleteTree = reinterpret_cast<DeleteTreeFn>(reinterpret_cast<void*>(GetProcAddress(adv, "RegDeleteTreeW")));
      b.deleteKeyEx = reinterpret_cast<DeleteKeyExFn>(reinterpret_cast<void*>(GetProcAddress(adv, "RegDeleteKeyExW")));
    }
  });
  return b;
}

}  // namespace

long Win32Registry::OpenKey(RegKey parent, const std::string& subKey, uint32_t mask, RegKey* out) {
  HKEY h = nullptr;
  LONG rc = RegOpenKeyExW(H(parent), Wide(subKey).c_str(), 0, mask, &h);
  if (rc == ERROR_SUCCESS) *out = reinterpret_cast<RegKey>(h);
  return rc;
}

long Win32Registry::CreateKey(RegKey parent, const std::string& subKey, uint32_t mask, RegKey* out) {
  HKEY h = nullptr;
  LONG rc = RegCreateKeyExW(H(parent), Wide(subKey).c_str(), 0, nullptr, 0, mask, nullptr, &h, nullptr);
  if (rc == ERROR_SUCCESS) *out = reinterpret_cast<RegKey>(h);
  return rc;
}

long Win32Registry::CloseKey(RegKey key) {
  if (IsRoot(key)) return ERROR_SUCCESS;
  return RegCloseKey(H(key));
}

long Win32Registry::QueryValue(RegKey key, const std::string& name, uint32_t capacity, RegData* out) {
  std::wstring n = Wide(name);
  DWORD type = 0, size = 0;
  LONG rc = RegQueryValueExW(H(key), n.c_str(), nullptr, &type, nullptr, &size);
  if (rc != ERROR_SUCCESS) return rc;
  out->type = type;
  out->size = size;
  out->bytes.clear();
  if (capacity == 0) return ERROR_SUCCESS;
  if (size > capacity) return ERROR_MORE_DATA;
  std::vector<BYTE> buf(size ? size : 1);
  rc = RegQueryValueExW(H(key), n.c_str(), nullptr, &type, buf.data(), &size);
  if (rc != ERROR_SUCCESS) return rc;
  out->type = type;
  out->size = size;
  out->bytes.assign(reinterpret_cast<const char*>(buf.data()), size);
  return ERROR_SUCCESS;
}

long Win32Registry::EnumKey(RegKey key, uint32_t index, uint32_t nameCapacity, std::string* name) {
  std::vector<wchar_t> buf(nameCapacity + 1, 0);
  DWORD len = nameCapacity;
  LONG rc = RegEnumKeyExW(H(key), index, buf.data(), &len, nullptr, nullptr, nullptr, nullptr);
  if (rc == ERROR_SUCCESS) *name = Narrow(buf.data(), len);
  return rc;
}

long Win32Registry::EnumValue(RegKey key, uint32_t index, uint32_t nameCapacity, uint32_t dataCapacity,
                              std::string* name, RegData* data) {
  std::vector<wchar_t> buf(nameCapacity + 1, 0);
  DWORD len = nameCapacity, type = 0, size = 0;
  LONG rc = RegEnumValueW(H(key), index, buf.data(), &len, nullptr, &type, nullptr, &size);
  if (rc != ERROR_SUCCESS) return rc;
  data->type = type;
  data->size = size;
  data->bytes.clear();
  if (dataCapacity == 0) {
    *name = Narrow(buf.data(), len);
    return ERROR_SUCCESS;
  }
  if (size > dataCapacity) return ERROR_MORE_DATA;
  std::vector<BYTE> bytes(size ? size : 1);
  len = nameCapacity;
  rc = RegEnumValueW(H(key), index, buf.data(), &len, nullptr, &type, bytes.data(), &size);
  if (rc != ERROR_SUCCESS) return rc;
  *name = Narrow(buf.data(), len);
  data->type = type;
  data->size = size;
  data->bytes.assign(reinterpret_cast<const char*>(bytes.data()), size);
  return ERROR_SUCCESS;
}

long Win32Registry::QueryKeyCounts(RegKey key, uint32_t* subKeys, uint32_t* values) {
  DWORD k = 0, v = 0;
  LONG rc = RegQueryInfoKeyW(H(key), nullptr, nullptr, nullptr, &k, nullptr, nullptr, &v, nullptr, nullptr,
                             nullptr, nullptr);
  if (rc == ERROR_SUCCESS) {
    *subKeys = k;
    *values = v;
  }
  return rc;
}

long Win32Registry::SetValue(RegKey key, const std::string& name, uint32_t type, const std::string& bytes) {
  return RegSetValueExW(H(key), Wide(name).c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                        static_cast<DWORD>(bytes.size()));
}

long Win32Registry::RemoveValue(RegKey key, const std::string& name) {
  return RegDeleteValueW(H(key), Wide(name).c_str());
}

long Win32Registry::RemoveKey(RegKey parent, const std::string& subKey) {
  return RegDeleteKeyW(H(parent), Wide(subKey).c_str());
}

long Win32Registry::RemoveTree(RegKey key, const std::string& subKey) {
  const Bindings& b = Bound();
  if (!b.deleteTree) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return ERROR_CALL_NOT_IMPLEMENTED;
  }
  return b.deleteTree(H(key), subKey.empty() ? nullptr : Wide(subKey).c_str());
}

long Win32Registry::RemoveKeyEx(RegKey parent, const std::string& subKey, uint32_t mask) {
  const Bindings& b = Bound();
  if (!b.deleteKeyEx) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return ERROR_CALL_NOT_IMPLEMENTED;
  }
  return b.deleteKeyEx(H(parent), Wide(subKey).c_str(), mask, 0);
}

bool Win32Registry::IsLink(RegKey parent, const std::string& subKey, uint32_t mask) {
  HKEY h = nullptr;
  const REGSAM view = mask & (KEY_WOW64_64KEY | KEY_WOW64_32KEY);
  if (RegOpenKeyExW(H(parent), Wide(subKey).c_str(), REG_OPTION_OPEN_LINK, KEY_QUERY_VALUE | view, &h) !=
      ERROR_SUCCESS)
    return false;
  DWORD type = 0;
  const LONG rc = RegQueryValueExW(h, L"SymbolicLinkValue", nullptr, &type, nullptr, nullptr);
  RegCloseKey(h);
  return rc == ERROR_SUCCESS && type == REG_LINK;
}

}  // namespace vl::sys
