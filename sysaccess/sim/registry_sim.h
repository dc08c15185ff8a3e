// In-memory registry for native tests. It follows Windows where callers can
// tell the difference: key and value names are compared without regard to
// case and keep the case they were created with, subkeys enumerate in
// case-insensitive order, values in creation order, HKEY_CURRENT_USER is the
// current user's hive below HKEY_USERS, HKEY_CLASSES_ROOT is
// HKLM\SOFTWARE\Classes, and an open handle to a deleted key reports
// kErrKeyDeleted. On 64-bit Windows the 32-bit view (KEY_WOW64_32KEY, or a
// WOW64 process without KEY_WOW64_64KEY) finds redirected keys under
// Wow6432Node, following Wow64Path32; keys opened below an open handle are
// not redirected again.
#pragma once
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "sysaccess/registry.h"

namespace vl::sys {

class SimRegistry : public RegistryApi {
 public:
  explicit SimRegistry(std::string currentUserSid = "S-1-5-21-1004336348-1177238915-682003330-1001");
  ~SimRegistry() override;

  // A WOW64 process runs on 64-bit Windows.
  void SetWow64(bool on) {
    wow64_ = on;
    if (on) windows64_ = true;
  }
  // 64-bit Windows, whatever the process: the two views exist.
  void SetWindows64(bool on) { windows64_ = on; }
  const std::string& currentUserSid() const { return sid_; }
  size_t OpenHandleCount();

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

 private:
  struct Value {
    std::string name;
    uint32_t type;
    std::string bytes;
  };
  struct Node {
    std::string name;
    Node* parent = nullptr;
    bool deleted = false;
    bool hiveRoot = false;
    std::vector<std::shared_ptr<Node>> children;  // sorted without regard to case
    std::vector<Value> values;                    // creation order
  };
  using NodePtr = std::shared_ptr<Node>;

  long ResolveParent(RegKey parent, NodePtr* node, bool* fromHklm);
  long Walk(RegKey parent, const std::string& subKey, uint32_t mask, bool create, NodePtr* out);
  NodePtr Child(const NodePtr& node, const std::string& name);
  NodePtr AddChild(const NodePtr& node, const std::string& name);
  long Lookup(RegKey key, NodePtr* node);
  RegKey NewHandle(const NodePtr& node);
  long DetachLeaf(const NodePtr& node);
  static void MarkDeleted(Node& node);

  std::mutex mu_;
  std::string sid_;
  bool wow64_ = false;
  bool windows64_ = false;
  NodePtr hklm_, hku_, hkcu_, hkcr_, hkcc_;
  std::map<RegKey, NodePtr> handles_;
  RegKey nextHandle_ = 0x1000;
};

}  // namespace vl::sys
