// The real registry through the wide advapi32 functions; RegDeleteTreeW and
// RegDeleteKeyExW are bound at run time (absent before Windows Vista).
#pragma once
#include "sysaccess/registry.h"

namespace vl::sys {

class Win32Registry : public RegistryApi {
 public:
  long OpenKey(RegKey parent, const std::string& subKey, uint32_t mask, RegKey* out) override;
  long CreateKey(RegKey parent, const std::string& subKey, uint32_t mask, RegKey* out) override;
  long CloseKey(RegKey key) override;
  long QueryValue(RegKey key, const std::string& name, uint32_t capacity, RegData* out) override;
  long EnumKey(RegKey key, uint32_t index, uint32_t nameCapacity, std::string* name) override;
  long EnumValue(RegKey key, uint32_t index, uint32_t nameCapacity, uint32_t dataCapacity,
                 std::string* name, RegData* data) override;
  long QueryKeyCounts(RegKey key, uint32_t* subKeys, uint32_t* values) override;
  long SetValue(RegKey key, const std::string& name, uint32_t type, const std::string& bytes) override;
  long RemoveValue(RegKey key, const std::string& name) override;
  long RemoveKey(RegKey parent, const std::string& subKey) override;
  long RemoveTree(RegKey key, const std::string& subKey) override;
  long RemoveKeyEx(RegKey parent, const std::string& subKey, uint32_t mask) override;
  bool IsLink(RegKey parent, const std::string& subKey, uint32_t mask) override;
};

}  // namespace vl::sys
