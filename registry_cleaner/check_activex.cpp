// Category 0, "ActiveX,OLE/COM Entries": class registrations whose
// application id, proxy stub, server file or type library does not resolve,
// empty help folders of type libraries, and interfaces naming a type library
// found invalid in the class pass; class ids and interfaces in both views.
#include <optional>
#include <string>
#include <vector>

#include "registry_cleaner/check_classes.h"
#include "registry_cleaner/scan_types.h"
#include "sysaccess/command_line.h"
#include "sysaccess/system.h"
#include "sysaccess/text.h"

namespace vl::registry {

namespace {

using classes::NameSet;
using classes::Trim;
constexpr sys::RegRoot kRoot = sys::kHKCR;

const std::vector<const char*> kClassExclusions = {"PowerPoi", "Excel", "Word", "wrifile"};

// InprocServer32 / LocalServer32 of one class.
void CheckServer(ScanContext& ctx, const std::string& key, bool lowerData) {
  sys::Registry& reg = ctx.registry();
  const uint32_t mask = ctx.access();
  if (!reg.KeyExists(kRoot, key, mask)) return;
  std::string v = Trim(reg.ReadString(kRoot, key, "", mask));
  std::string p = sys::CommandLineToPath(ctx.platform(), v);
  std::string data = lowerData ? sys::ToLowerText(v) : v;
  if (p.empty()) {
    // Only a key holding nothing at all is unused; a ThreadingModel alone keeps it.
    classes::KeyContents c = classes::CountKeyContents(reg, kRoot, key, mask);
    if (c.opened && c.values == 0) ctx.AddProblem(kRoot, key, mask, kValueNotUsed, data, "");
  } else if (!ctx.FileExistsWow64(p, 1)) {
    ctx.AddProblem(kRoot, key, mask, kInvalidServer, data, "");
  }
}

}  // namespace

void CheckActiveX(ScanContext& ctx) {
  sys::Registry& reg = ctx.registry();
  const uint32_t mask = ctx.access();
  std::optional<sys::ScopedFsRedirectionOff> redirectionOff;
  if (ctx.wow64()) redirectionOff.emplace(*ctx.platform().system);

  // Class ids and interfaces have a 32-bit view of their own; type
  // libraries and application ids are shared.
  const std::vector<std::string> classBases = ViewPaths(ctx, kRoot, "CLSID");
  std::vector<std::string> typeLibIds, appIdList;
  std::vector<std::vector<std::string>> classIds(classBases.size());
  reg.EnumSubKeys(typeLibIds, kRoot, "TypeLib", mask);
  bool anyClass = false;
  for (size_t v = 0; v < classBases.size(); ++v)
    anyClass = reg.EnumSubKeys(classIds[v], kRoot, classBases[v], mask) > 0 || anyClass;
  reg.EnumSubKeys(appIdList, kRoot, "AppID", mask);
  if (!anyClass) return;
  const NameSet typeLibs(typeLibIds), appIds(appIdList);
  NameSet invalidTypeLibs;

  // Class pass, one view after the other.
  for (size_t v = 0; v < classBases.size(); ++v) {
    for (const std::string& n : classIds[v]) {
      if (ctx.Stopped()) break;
      if (classes::ContainsAny(n, kClassExclusions)) continue;
      const std::string k = classBases[v] + "\\" + n;
      ctx.ShowProgress("HKEY_CLASSES_ROOT\\" + k);

      if (reg.ValueExists(kRoot, k, "AppID", mask)) {
        std::string v = Trim(reg.ReadString(kRoot, k, "AppID", mask));
        if (v.empty() || !appIds.Contains(v)) ctx.AddProblem(kRoot, k, mask, kInvalidAppId, v, "AppID");
      }
      const std::string proxy = k + "\\ProxyStubClsid32";
      if (reg.KeyExists(kRoot, proxy, mask) && Trim(reg.ReadString(kRoot, proxy, "", mask)).empty())
        ctx.AddProblem(kRoot, proxy, mask, kInvalidProxyStub, "", "");
      CheckServer(ctx, k + "\\InprocServer32", false);
      CheckServer(ctx, k + "\\LocalServer32", true);
      const std::string typeLibKey = k + "\\TypeLib";
      if (reg.KeyExists(kRoot, typeLibKey, mask)) {
        std::string t = sys::ToLowerText(Trim(reg.ReadString(kRoot, typeLibKey, "", mask)));
        if (!t.empty() && !typeLibs.Contains(t)) {
          ctx.AddProblem(kRoot, typeLibKey, mask, kInvalidTypeLib, t, "");
          invalidTypeLibs.Add(t);
        }
      }
    }
  }

  // Help folder pass: runs to its end even after a stop.
  std::vector<std::string> versions;
  for (const std::string& l : typeLibIds) {
    reg.EnumSubKeys(versions, kRoot, "TypeLib\\" + l, mask);
    for (const std::string& w : versions) {
      const std::string h = "TypeLib\\" + l + "\\" + w + "\\HELPDIR";
      if (reg.KeyExists(kRoot, h, mask) && Trim(reg.ReadString(kRoot, h, "", mask)).empty())
        ctx.AddProblem(kRoot, h, mask, kNoData, "", "");
    }
  }

  // Interface pass: only interfaces can name a library the class pass found invalid.
  if (invalidTypeLibs.empty()) return;
  for (const std::string& base : ViewPaths(ctx, kRoot, "Interface")) {
    std::vector<std::string> interfaces;
    reg.EnumSubKeys(interfaces, kRoot, base, mask);
    for (const std::string& i : interfaces) {
      const std::string key = base + "\\" + i;
      ctx.ShowProgress("HKEY_CLASSES_ROOT\\" + key);
      std::string t = Trim(reg.ReadString(kRoot, key + "\\TypeLib", "", mask));
      if (t.empty() || !invalidTypeLibs.Contains(t)) continue;
      ctx.AddProblem(kRoot, key, mask, kInvalidTypeLib, t, "");
      const std::string machineKey = "SOFTWARE\\Classes\\" + key;
      if (reg.KeyExists(sys::kHKLM, machineKey, mask))
        ctx.AddProblem(sys::kHKLM, machineKey, mask, kInvalidTypeLib, "", "");
    }
  }
}

}  // namespace vl::registry
