// A registry that misbehaves on cue, in front of a real one: tests make a
// call fail, or change the registry just before a call, to show what the
// code under test does when the system does not cooperate.
#pragma once
#include <functional>
#include <string>

#include "sysaccess/registry.h"

namespace vl::sys::testing {

class FaultyRegistry : public RegistryApi {
 public:
  explicit FaultyRegistry(RegistryApi& inner) : inner_(inner) {}

  // Each hook runs before the call; a result other than -1 is returned
  // instead of making the call.
  std::function<long(const std::string& subKey, uint32_t mask)> onOpen;
  std::function<long(uint32_t index)> onEnumValue;
  std::function<long(uint32_t index)> onEnumKey;
  std::function<long(const std::string& subKey)> onRemoveKey;
  std::function<long(const std::string& name)> onSetValue;
  std::function<long(const std::string& name)> onRemoveValue;
  // Names of subkeys that answer as registry links.
  std::function<bool(const std::string& subKey)> isLink;

  long OpenKey(RegKey parent, const std::string& subKey, uint32_t mask, RegKey* out) override {
    if (long rc = Hook(onOpen, subKey, mask); rc != -1) return rc;
    return inner_.OpenKey(parent, subKey, mask, out);
  }
  long CreateKey(RegKey parent, const std::string& subKey, uint32_t mask, RegKey* out) override {
    return inner_.CreateKey(parent, subKey, mask, out);
  }
  long CloseKey(RegKey key) override { return inner_.CloseKey(key); }
  long QueryValue(RegKey key, const std::string& name, uint32_t capacity, RegData* out) override {
    return inner_.QueryValue(key, name, capacity, out);
  }
  long EnumKey(RegKey key, uint32_t index, uint32_t nameCapacity, std::string* name) override {
    if (long rc = Hook(onEnumKey, index); rc != -1) return rc;
    return inner_.EnumKey(key, index, nameCapacity, name);
  }
  long EnumValue(RegKey key, uint32_t index, uint32_t nameCapacity, uint32_t dataCapacity, std::string* name,
                 RegData* data) override {
    if (long rc = Hook(onEnumValue, index); rc != -1) return rc;
    return inner_.EnumValue(key, index, nameCapacity, dataCapacity, name, data);
  }
  long QueryKeyCounts(RegKey key, uint32_t* subKeys, uint32_t* values) override {
    return inner_.QueryKeyCounts(key, subKeys, values);
  }
  long SetValue(RegKey key, const std::string& name, uint32_t type, const std::string& bytes) override {
    if (long rc = Hook(onSetValue, name); rc != -1) return rc;
    return inner_.SetValue(key, name, type, bytes);
  }
  long RemoveValue(RegKey key, const std::string& name) override {
    if (long rc = Hook(onRemoveValue, name); rc != -1) return rc;
    return inner_.RemoveValue(key, name);
  }
  long RemoveKey(RegKey parent, const std::string& subKey) override {
    if (long rc = Hook(onRemoveKey, subKey); rc != -1) return rc;
    return inner_.RemoveKey(parent, subKey);
  }
  long RemoveTree(RegKey key, const std::string& subKey) override { return inner_.RemoveTree(key, subKey); }
  long RemoveKeyEx(RegKey parent, const std::string& subKey, uint32_t mask) override {
    if (long rc = Hook(onRemoveKey, subKey); rc != -1) return rc;
    return inner_.RemoveKeyEx(parent, subKey, mask);
  }
  bool IsLink(RegKey parent, const std::string& subKey, uint32_t mask) override {
    return (isLink && isLink(subKey)) || inner_.IsLink(parent, subKey, mask);
  }

 private:
  template <typename F, typename... A>
  static long Hook(const F& f, A&&... args) {
    return f ? f(std::forward<A>(args)...) : -1;
  }
  RegistryApi& inner_;
};

}  // namespace vl::sys::testing
