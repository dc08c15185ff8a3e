// Category 6, "Invalid File Associations": file types and program ids of the
// classes root whose class id, icon file, shell verbs or verb commands do not
// resolve.
#include <optional>
#include <string>
#include <vector>

#include "registry_cleaner/check_classes.h"
#include "registry_cleaner/scan_types.h"
#include "sysaccess/command_line.h"
#include "sysaccess/system.h"

namespace vl::registry {

namespace {

using classes::Trim;
constexpr sys::RegRoot kRoot = sys::kHKCR;

// Types the system and common office programs own; left alone.
const std::vector<const char*> kFileTypeExclusions = {
    "*", "{20D04FE0-3AEA-1069-A2D8-08002B30309D}", "Access", "accountpicturefile",
    "ActivatableClasses", "ADCS", "AllFilesystemObjects", "AllProtocols", "Application",
    "AtWorkRendering", "batfile", "cmdfile", "comfile", "Connection Manager Profile",
    "DesktopBackground", "Diagnostic", "DVD", "Excel", "exefile", "FaxCover.Document", "Folder",
    "HeaderFooter", "IE.AssocFile", "JobObject", "lnkfile", "MediaCenter", "Microsoft",
    "MSSppLicenseFile", "opensearchresult", "opensearchfilefolderresult", "Outlook", "piffile",
    "PowerPoint", "Shell", "Stack", "Windows.DVD.Maker", "WIA", "WMP", "Word", "Wow6432Node",
};

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

void CheckShell(ScanContext& ctx, const std::string& n) {
  sys::Registry& reg = ctx.registry();
  const uint32_t mask = ctx.access();
  const std::string s = n + "\\Shell";
  if (!reg.KeyExists(kRoot, s, mask)) return;
  std::vector<std::string> verbs;
  if (reg.EnumSubKeys(verbs, kRoot, s, mask) == 0) {
    ctx.AddProblem(kRoot, s, mask, kEmptyShellKey, "", "");
    return;
  }
  for (const std::string& w : verbs) {
    const std::string verb = s + "\\" + w;
    const std::string c = verb + "\\Command";
    // Verbs carried out by a handler object or by DDE have no command line:
    // they work, and removing them would break the file type.
    if (reg.ValueExists(kRoot, verb, "DelegateExecute", mask) ||
        reg.ValueExists(kRoot, verb, "ExplorerCommandHandler", mask) ||
        reg.KeyExists(kRoot, verb + "\\ddeexec", mask))
      continue;
    if (!reg.KeyExists(kRoot, c, mask)) {
      ctx.AddProblem(kRoot, verb, mask, kEmptyShellKey, "", "");
      continue;
    }
    if (reg.ValueExists(kRoot, c, "DelegateExecute", mask)) continue;
    std::string v = Trim(reg.ReadString(kRoot, c, "", mask));
    // The file itself is the program (scripts, documents that run themselves).
    if (StartsWith(v, "%1") || StartsWith(v, "\"%1\"")) continue;
    std::string p = sys::CommandLineToPath(ctx.platform(), v);
    if (p.empty())
      ctx.AddProblem(kRoot, c, mask, kEmptyShellCommand, v, "");
    else if (!ctx.FileExistsWow64(p, 1))
      ctx.AddProblem(kRoot, c, mask, kInvalidCommand, v, "");
  }
}

}  // namespace

void CheckFileAssociations(ScanContext& ctx) {
  sys::Registry& reg = ctx.registry();
  const uint32_t mask = ctx.access();
  std::optional<sys::ScopedFsRedirectionOff> redirectionOff;
  if (ctx.wow64()) redirectionOff.emplace(*ctx.platform().system);

  std::vector<std::string> classIdList, names;
  reg.EnumSubKeys(classIdList, kRoot, "CLSID", mask);
  reg.EnumSubKeys(names, kRoot, "", mask);
  const classes::NameSet classIds(classIdList);

  for (const std::string& n : names) {
    if (ctx.Stopped()) break;
    if (n == "CLSID" || StartsWith(n, ".")) continue;
    ctx.ShowProgress("HKEY_CLASSES_ROOT\\" + n);
    if (classes::ContainsAny(n, kFileTypeExclusions)) continue;

    const std::string clsid = n + "\\CLSID";
    if (reg.KeyExists(kRoot, clsid, mask)) {
      std::string v = Trim(reg.ReadString(kRoot, clsid, "", mask));
      if (v.empty() || !classIds.Contains(v))
        ctx.AddProblem(kRoot, clsid, mask, kInvalidProgId, v, "");
    }
    const std::string icon = n + "\\DefaultIcon";
    if (reg.KeyExists(kRoot, icon, mask)) {
      std::string v = Trim(reg.ReadString(kRoot, icon, "", mask));
      // "%1": the file is its own icon; nothing to test.
      if (v.find("%1") == std::string::npos) {
        std::string p = sys::CommandLineToPath(ctx.platform(), v);
        if (p.empty() || !ctx.FileExistsWow64(p, 1))
          ctx.AddProblem(kRoot, icon, mask, kErrorNoData, v, "");
      }
    }
    CheckShell(ctx, n);
  }
}

}  // namespace vl::registry
