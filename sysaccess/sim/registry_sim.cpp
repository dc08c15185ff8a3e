// The simulated registry: a tree of nodes behind handle numbers.
#include "sysaccess/sim/registry_sim.h"

#include <algorithm>

#include "sysaccess/text.h"

namespace vl::sys {

namespace {
constexpr long kErrBadPathname = 161;
constexpr size_t kMaxKeyNameChars = 255;

std::vector<std::string> SplitPath(const std::string& path, bool* ok) {
  std::vector<std::string> parts;
  *ok = true;
  if (path.empty()) return parts;
  if (path[0] == '\\') {
    *ok = false;
    return parts;
  }
  std::string cur;
  for (char c : path) {
    if (c == '\\') {
      parts.push_back(cur);
      cur.clear();
    } else {
      cur.push_back(c);
    }
  }
  parts.push_back(cur);
  if (parts.back().empty()) parts.pop_back();  // one trailing backslash is accepted
  for (const auto& p : parts) if (p.empty()) *ok = false;
  return parts;
}
}  // namespace

SimRegistry::SimRegistry(std::string currentUserSid) : sid_(std::move(currentUserSid)) {
  hklm_ = std::make_shared<Node>();
  hklm_->name = "HKEY_LOCAL_MACHINE";
  hklm_->hiveRoot = true;
  hku_ = std::make_shared<Node>();
  hku_->name = "HKEY_USERS";
  hku_->hiveRoot = true;
  hkcu_ = AddChild(hku_, sid_);
  hkcu_->hiveRoot = true;
  AddChild(hku_, ".DEFAULT")->hiveRoot = true;
  NodePtr software = AddChild(hklm_, "SOFTWARE");
  hkcr_ = AddChild(software, "Classes");
  AddChild(software, "Wow6432Node");
  NodePtr ccs = AddChild(AddChild(hklm_, "SYSTEM"), "CurrentControlSet");
  hkcc_ = AddChild(AddChild(ccs, "Hardware Profiles"), "Current");
  AddChild(hkcu_, "Software");
}

SimRegistry::~SimRegistry() = default;

size_t SimRegistry::OpenHandleCount() {
  std::lock_guard<std::mutex> lock(mu_);
  return handles_.size();
}

SimRegistry::NodePtr SimRegistry::Child(const NodePtr& node, const std::string& name) {
  // Children are kept sorted: a binary search keeps keys with many subkeys fast.
  auto pos = std::lower_bound(node->children.begin(), node->children.end(), name,
                              [](const NodePtr& a, const std::string& n) { return CompareNoCase(a->name, n) < 0; });
  if (pos != node->children.end() && CompareNoCase((*pos)->name, name) == 0) return *pos;
  return nullptr;
}

SimRegistry::NodePtr SimRegistry::AddChild(const NodePtr& node, const std::string& name) {
  auto child = std::make_shared<Node>();
  child->name = name;
  child->parent = node.get();
  auto pos = std::lower_bound(node->children.begin(), node->children.end(), name,
                              [](const NodePtr& a, const std::string& n) { return CompareNoCase(a->name, n) < 0; });
  node->children.insert(pos, child);
  return child;
}

long SimRegistry::ResolveParent(RegKey parent, NodePtr* node, bool* fromHklm) {
  *fromHklm = false;
  switch (parent) {
    case kHKLM: *node = hklm_; *fromHklm = true; return kErrSuccess;
    case kHKU: *node = hku_; return kErrSuccess;
    case kHKCU: *node = hkcu_; return kErrSuccess;
    case kHKCR: *node = hkcr_; return kErrSuccess;
    case kHKCC: *node = hkcc_; return kErrSuccess;
    default: return Lookup(parent, node);
  }
}

long SimRegistry::Lookup(RegKey key, NodePtr* node) {
  auto it = handles_.find(key);
  if (it == handles_.end()) return kErrInvalidHandle;
  if (it->second->deleted) return kErrKeyDeleted;
  *node = it->second;
  return kErrSuccess;
}

RegKey SimRegistry::NewHandle(const NodePtr& node) {
  RegKey h = nextHandle_;
  nextHandle_ += 4;
  handles_[h] = node;
  return h;
}

long SimRegistry::Walk(RegKey parent, const std::string& subKey, uint32_t mask, bool create, NodePtr* out) {
  NodePtr node;
  bool fromHklm;
  long rc = ResolveParent(parent, &node, &fromHklm);
  if (rc != kErrSuccess) return rc;
  bool ok;
  std::vector<std::string> parts = SplitPath(subKey, &ok);
  if (!ok) return kErrBadPathname;
  // The 32-bit view (a WOW64 process without KEY_WOW64_64KEY, or any process
  // with KEY_WOW64_32KEY on 64-bit Windows) keeps the redirected keys under
  // Wow6432Node; shared keys are the same in both views.
  const bool view32 = windows64_ && ((mask & kWow64Key32) || (wow64_ && !(mask & kWow64Key64)));
  if (view32 && parent >= kHKCR && parent <= kHKDD) {
    bool joined;
    const std::string redirected = Wow64Path32(static_cast<RegRoot>(parent), subKey);
    if (!redirected.empty()) parts = SplitPath(redirected, &joined);
  }
  // HKLM\SOFTWARE\Wow6432Node\Classes is a link to SOFTWARE\Classes\Wow6432Node.
  if (fromHklm && parts.size() >= 3 && EqualsNoCase(parts[0], "SOFTWARE") && EqualsNoCase(parts[1], "Wow6432Node") &&
      EqualsNoCase(parts[2], "Classes"))
    std::swap(parts[1], parts[2]);
  for (const auto& part : parts) {
    NodePtr next = Child(node, part);
    if (!next) {
      if (!create) return kErrFileNotFound;
      if (Utf16Length(part) > kMaxKeyNameChars) return kErrInvalidParameter;
      next = AddChild(node, part);
    }
    node = next;
  }
  *out = node;
  return kErrSuccess;
}

long SimRegistry::OpenKey(RegKey parent, const std::string& subKey, uint32_t mask, RegKey* out) {
  std::lock_guard<std::mutex> lock(mu_);
  NodePtr node;
  long rc = Walk(parent, subKey, mask, false, &node);
  if (rc != kErrSuccess) return rc;
  *out = NewHandle(node);
  return kErrSuccess;
}

long SimRegistry::CreateKey(RegKey parent, const std::string& subKey, uint32_t mask, RegKey* out) {
  std::lock_guard<std::mutex> lock(mu_);
  NodePtr node;
  long rc = Walk(parent, subKey, mask, true, &node);
  if (rc != kErrSuccess) return rc;
  *out = NewHandle(node);
  return kErrSuccess;
}

long SimRegistry::CloseKey(RegKey key) {
  std::lock_guard<std::mutex> lock(mu_);
  if (key >= kHKCR && key <= kHKDD) return kErrSuccess;
  return handles_.erase(key) ? kErrSuccess : kErrInvalidHandle;
}

long SimRegistry::QueryValue(RegKey key, const std::string& name, uint32_t capacity, RegData* out) {
  std::lock_guard<std::mutex> lock(mu_);
  NodePtr node;
  bool fromHklm;
  long rc = ResolveParent(key, &node, &fromHklm);
  if (rc != kErrSuccess) return rc;
  for (const auto& v : node->values) {
    if (!EqualsNoCase(v.name, name)) continue;
    out->type = v.type;
    out->size = static_cast<uint32_t>(v.bytes.size());
    out->bytes.clear();
    if (capacity == 0) return kErrSuccess;
    if (v.bytes.size() > capacity) return kErrMoreData;
    out->bytes = v.bytes;
    return kErrSuccess;
  }
  return kErrFileNotFound;
}

long SimRegistry::EnumKey(RegKey key, uint32_t index, uint32_t nameCapacity, std::string* name) {
  std::lock_guard<std::mutex> lock(mu_);
  NodePtr node;
  bool fromHklm;
  long rc = ResolveParent(key, &node, &fromHklm);
  if (rc != kErrSuccess) return rc;
  if (index >= node->children.size()) return kErrNoMoreItems;
  const std::string& n = node->children[index]->name;
  if (Utf16Length(n) + 1 > nameCapacity) return kErrMoreData;
  *name = n;
  return kErrSuccess;
}

long SimRegistry::EnumValue(RegKey key, uint32_t index, uint32_t nameCapacity, uint32_t dataCapacity,
                            std::string* name, RegData* data) {
  std::lock_guard<std::mutex> lock(mu_);
  NodePtr node;
  bool fromHklm;
  long rc = ResolveParent(key, &node, &fromHklm);
  if (rc != kErrSuccess) return rc;
  if (index >= node->values.size()) return kErrNoMoreItems;
  const Value& v = node->values[index];
  data->type = v.type;
  data->size = static_cast<uint32_t>(v.bytes.size());
  data->bytes.clear();
  if (Utf16Length(v.name) + 1 > nameCapacity) return kErrMoreData;
  if (dataCapacity != 0 && v.bytes.size() > dataCapacity) return kErrMoreData;
  *name = v.name;
  if (dataCapacity != 0) data->bytes = v.bytes;
  return kErrSuccess;
}

long SimRegistry::QueryKeyCounts(RegKey key, uint32_t* subKeys, uint32_t* values) {
  std::lock_guard<std::mutex> lock(mu_);
  NodePtr node;
  bool fromHklm;
  long rc = ResolveParent(key, &node, &fromHklm);
  if (rc != kErrSuccess) return rc;
  *subKeys = static_cast<uint32_t>(node->children.size());
  *values = static_cast<uint32_t>(node->values.size());
  return kErrSuccess;
}

long SimRegistry::SetValue(RegKey key, const std::string& name, uint32_t type, const std::string& bytes) {
  std::lock_guard<std::mutex> lock(mu_);
  NodePtr node;
  bool fromHklm;
  long rc = ResolveParent(key, &node, &fromHklm);
  if (rc != kErrSuccess) return rc;
  if (Utf16Length(name) > 16383) return kErrInvalidParameter;
  for (auto& v : node->values) {
    if (EqualsNoCase(v.name, name)) {
      v.type = type;
      v.bytes = bytes;
      return kErrSuccess;
    }
  }
  node->values.push_back({name, type, bytes});
  return kErrSuccess;
}

long SimRegistry::RemoveValue(RegKey key, const std::string& name) {
  std::lock_guard<std::mutex> lock(mu_);
  NodePtr node;
  bool fromHklm;
  long rc = ResolveParent(key, &node, &fromHklm);
  if (rc != kErrSuccess) return rc;
  for (auto it = node->values.begin(); it != node->values.end(); ++it) {
    if (EqualsNoCase(it->name, name)) {
      node->values.erase(it);
      return kErrSuccess;
    }
  }
  return kErrFileNotFound;
}

void SimRegistry::MarkDeleted(Node& node) {
  node.deleted = true;
  for (auto& c : node.children) MarkDeleted(*c);
}

long SimRegistry::DetachLeaf(const NodePtr& node) {
  if (node->hiveRoot || !node->parent || node == hklm_ || node == hkcr_ || node == hkcc_)
    return kErrAccessDenied;
  if (!node->children.empty()) return kErrAccessDenied;
  auto& siblings = node->parent->children;
  siblings.erase(std::remove(siblings.begin(), siblings.end(), node), siblings.end());
  MarkDeleted(*node);
  node->parent = nullptr;
  return kErrSuccess;
}

long SimRegistry::RemoveKey(RegKey parent, const std::string& subKey) {
  return RemoveKeyEx(parent, subKey, 0);
}

long SimRegistry::RemoveKeyEx(RegKey parent, const std::string& subKey, uint32_t mask) {
  std::lock_guard<std::mutex> lock(mu_);
  NodePtr node;
  long rc = Walk(parent, subKey, mask, false, &node);
  if (rc != kErrSuccess) return rc;
  return DetachLeaf(node);
}

long SimRegistry::RemoveTree(RegKey key, const std::string& subKey) {
  std::lock_guard<std::mutex> lock(mu_);
  NodePtr node;
  long rc = Walk(key, subKey, 0, false, &node);
  if (rc != kErrSuccess) return rc;
  // Everything below goes; the key itself only when it was named by subKey.
  for (auto& c : node->children) {
    MarkDeleted(*c);
    c->parent = nullptr;
  }
  node->children.clear();
  node->values.clear();
  if (!subKey.empty()) return DetachLeaf(node);
  return kErrSuccess;
}

// The simulated registry has no links.
bool SimRegistry::IsLink(RegKey, const std::string&, uint32_t) { return false; }

}  // namespace vl::sys
