// Removal of scan problems with their backup written first.
#include "registry_cleaner/repair.h"

#include <algorithm>
#include <set>

#include "sysaccess/error_text.h"
#include "sysaccess/reg_file.h"
#include "sysaccess/reg_writer.h"
#include "sysaccess/registry.h"
#include "sysaccess/text.h"

namespace vl::registry {

namespace {

const char kProtected[] = "the repair never deletes this key";

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : path) {
    if (c == '\\') {
      parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  parts.push_back(part);
  return parts;
}

std::string Join(const std::vector<std::string>& parts, size_t count) {
  std::string out;
  for (size_t i = 0; i < count && i < parts.size(); ++i) out += (i ? "\\" : "") + parts[i];
  return out;
}

// Container keys the checks walk, relative to a user's or the machine's
// software root (classes keys relative to the classes root, with "classes\").
const std::set<std::string>& Containers() {
  static const std::set<std::string> kContainers = {
      "classes\\clsid",
      "classes\\typelib",
      "classes\\appid",
      "classes\\interface",
      "classes\\applications",
      "software\\microsoft\\windows\\currentversion\\app paths",
      "software\\microsoft\\windows\\currentversion\\uninstall",
      "software\\microsoft\\windows\\currentversion\\run",
      "software\\microsoft\\windows\\currentversion\\runonce",
      "software\\microsoft\\windows\\currentversion\\runservices",
      "software\\microsoft\\windows\\currentversion\\runservicesonce",
      "software\\microsoft\\windows\\currentversion\\shareddlls",
      "software\\microsoft\\windows\\currentversion\\fonts",
      "software\\microsoft\\windows nt\\currentversion\\fonts",
      "software\\microsoft\\windows\\help",
      "software\\microsoft\\windows\\htmlhelp",
      "software\\microsoft\\windows\\html help",
      "software\\microsoft\\windows\\currentversion\\app management\\arpcache",
      "software\\microsoft\\windows\\currentversion\\explorer\\fileexts",
      "software\\microsoft\\windows\\currentversion\\explorer\\runmru",
      "software\\microsoft\\windows\\currentversion\\explorer\\comdlg32\\opensavemru",
      "software\\microsoft\\windows\\currentversion\\explorer\\menuorder\\start menu\\programs",
      "software\\microsoft\\windows\\currentversion\\explorer\\menuorder\\start menu2\\programs",
      "software\\microsoft\\windows\\currentversion\\explorer\\menuorder",
      "software\\microsoft\\windows\\currentversion\\explorer\\recentdocs",
      "software\\microsoft\\windows\\currentversion\\explorer\\shell folders",
      "software\\microsoft\\windows\\currentversion\\explorer\\user shell folders",
      "system\\currentcontrolset\\services",
      "appevents\\schemes\\apps",
      "appevents\\schemes\\apps\\.default",
      "appevents\\eventlabels",
  };
  return kContainers;
}

bool IsControlSet(const std::string& part) {
  if (part.size() != 13 || part.compare(0, 10, "controlset") != 0) return false;
  return std::all_of(part.begin() + 10, part.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The path as seen from a software root, whatever view or hive shows it:
// HKCR keys and a user's "_Classes" hive gain "classes\", user hives lose
// their SID, "software\classes" becomes "classes", every "wow6432node" step
// is dropped (the 32-bit view holds the same containers) and every numbered
// control set reads as the current one.
std::string Normalized(uint32_t root, const std::string& keyPath) {
  std::vector<std::string> parts = SplitPath(sys::AsciiLower(keyPath));
  parts.erase(std::remove(parts.begin(), parts.end(), std::string()), parts.end());
  std::vector<std::string> out;
  if (root == sys::kHKCR) out.push_back("classes");
  size_t i = 0;
  if (root == sys::kHKU && !parts.empty()) {
    const std::string& hive = parts[0];
    const std::string suffix = "_classes";
    if (hive.size() > suffix.size() && hive.compare(hive.size() - suffix.size(), suffix.size(), suffix) == 0)
      out.push_back("classes");
    i = 1;
  }
  for (; i < parts.size(); ++i) {
    if (parts[i] == "wow6432node") continue;
    if (out.size() == 1 && out[0] == "software" && parts[i] == "classes") {
      out[0] = "classes";
      continue;
    }
    const bool controlSet = out.size() == 1 && out[0] == "system" && IsControlSet(parts[i]);
    out.push_back(controlSet ? "currentcontrolset" : parts[i]);
  }
  return Join(out, out.size());
}

}  // namespace

TScanRegistry InHoldingHive(sys::Registry& registry, TScanRegistry p) {
  if (p.root != sys::kHKCR || p.keyPath.empty()) return p;
  std::string path = p.keyPath;
  while (!path.empty() && path.front() == '\\') path.erase(0, 1);
  const std::string exact = p.unnamedValue ? std::string() : p.valueName;
  // The user's classes come first, as in the merged view.
  for (auto [root, prefix] : {std::pair{sys::kHKCU, "Software\\Classes\\"}, std::pair{sys::kHKLM, "SOFTWARE\\Classes\\"}}) {
    const std::string key = prefix + path;
    if (!registry.KeyExists(root, key, p.access)) continue;
    // A value problem belongs to the hive whose key holds the value.
    if (!p.valueName.empty() && !registry.ValueExistsExact(root, key, exact, p.access)) continue;
    p.root = root;
    p.keyPath = key;
    return p;
  }
  return p;
}

bool IsProtectedKey(uint32_t root, const std::string& keyPath) {
  std::string trimmed = keyPath;
  while (!trimmed.empty() && (trimmed.front() == '\\' || trimmed.back() == '\\'))
    trimmed = trimmed.front() == '\\' ? trimmed.substr(1) : trimmed.substr(0, trimmed.size() - 1);
  if (trimmed.empty()) return true;  // a root
  if (root == sys::kHKU && trimmed.find('\\') == std::string::npos) return true;  // a user hive
  const std::string p = Normalized(root, trimmed);
  if (p.empty() || p == "classes" || p == "software" || p == "system") return true;
  for (const std::string& c : Containers())
    if (c == p || (c.size() > p.size() && c.compare(0, p.size(), p) == 0 && c[p.size()] == '\\'))
      return true;  // the container itself or one of its ancestors
  return false;
}

Repairer::Repairer(sys::Platform& platform, std::function<std::string()> backupPath)
    : platform_(platform), registry_(*platform.registry), change_(platform, std::move(backupPath)) {}

bool Repairer::Refuse(std::string why) {
  reason_ = std::move(why);
  return false;
}

bool Repairer::RemoveKeyTree(const TScanRegistry& p) {
  if (IsProtectedKey(p.root, p.keyPath)) return Refuse(kProtected);
  return change_.DeleteKeyTree(p.root, p.keyPath, p.access) || Refuse(change_.problem());
}

bool Repairer::RemoveValue(const TScanRegistry& p) {
  const std::string exact = p.unnamedValue ? std::string() : p.valueName;
  return change_.DeleteValue(p.root, p.keyPath, exact, p.access) || Refuse(change_.problem());
}

bool Repairer::Climb(const TScanRegistry& p) {
  const std::vector<std::string> parts = SplitPath(p.keyPath);
  long n = static_cast<long>(parts.size()) - 1;
  std::string current = p.keyPath;
  bool outcome = true;
  for (;;) {
    // A key that filled up since the scan stays, and counts as repaired.
    if (!registry_.KeyIsEmpty(p.root, current, p.access)) break;
    // The guard ends the climb; it refuses only when it stops the problem's own key.
    if (IsProtectedKey(p.root, current)) {
      if (current == p.keyPath) outcome = Refuse(kProtected);
      break;
    }
    // A key that stays (no backup written, or not deleted) keeps its parents.
    if (!change_.DeleteEmptyKey(p.root, current, p.access)) return Refuse(change_.problem());
    if (--n <= 0) break;  // the hive's own key is never removed
    current = Join(parts, static_cast<size_t>(n) + 1);
  }
  return outcome;
}

TCleanInfo Repairer::Remove(int category, const TScanRegistry& found) {
  TCleanInfo info;
  reason_.clear();
  // The log shows the entry as the scan found it; backup and removal go to
  // the hive that holds it.
  const std::string key = sys::RootShortName(found.root) + "\\" + found.keyPath;
  const TScanRegistry p = InHoldingHive(registry_, found);
  bool ok = false;
  switch (category) {
    case kActiveX:
      info.text = key;
      ok = p.code == kInvalidAppId ? RemoveValue(p) : RemoveKeyTree(p);
      break;
    case kEmptyKeys:
      info.text = key;
      ok = Climb(p);
      break;
    case kFonts:
    case kHelp:
    case kMru:
    case kSharedDlls:
    case kStartup:
      info.text = key + "\\" + p.valueName;
      ok = RemoveValue(p);
      break;
    case kShortcuts: {
      info.text = p.keyPath;
      // Only shortcut files, whatever a record says.
      const std::string lower = sys::AsciiLower(p.keyPath);
      if (lower.size() <= 4 || lower.compare(lower.size() - 4, 4, ".lnk") != 0)
        ok = Refuse("only shortcut files are removed");
      else if (uint32_t rc = platform_.files->RemoveFile(p.keyPath))
        ok = Refuse("the file could not be deleted: " + sys::SystemErrorText(rc));
      else
        ok = true;
      break;
    }
    default:
      info.text = key;
      ok = RemoveKeyTree(p);
      break;
  }
  info.status = ok ? 1 : 0;
  if (!ok) info.reason = reason_;
  return info;
}

}  // namespace vl::registry
