// Category 7: shortcut (.lnk) files in the menus, desktops, Recent and SendTo
// whose target is gone. Not a registry check: each problem names the file.
#include <set>
#include <vector>

#include "registry_cleaner/check_references.h"
#include "registry_cleaner/check_refs_common.h"
#include "registry_cleaner/scan_types.h"
#include "sysaccess/shell_folders.h"
#include "sysaccess/shortcut.h"
#include "sysaccess/text.h"

namespace vl::registry {

using namespace refs;

namespace {

// Common programs, Start menu, common Start menu, desktop, programs, Recent,
// SendTo, common desktop (the program's special-folder indexes).
constexpr int kShortcutFolders[] = {1, 2, 3, 5, 6, 10, 11, 16};

// Doubled backslashes collapsed, a trailing one added. The leading pair of a
// network path is kept, so a folder redirected to a share is still walked.
std::string WalkFolder(const std::string& path) {
  size_t start = path.compare(0, 2, "\\\\") == 0 ? 2 : 0;
  std::string out = path.substr(0, start);
  for (size_t i = start; i < path.size(); ++i) {
    out += path[i];
    if (path[i] == '\\' && i + 1 < path.size() && path[i + 1] == '\\') ++i;
  }
  return WithBackslash(out);
}

std::string LowerExtension(const std::string& name) {
  size_t dot = name.rfind('.');
  return dot == std::string::npos ? "" : sys::ToLowerText(name.substr(dot));
}

// `walked` holds every folder entered so far (lower case): the Start menu
// holds the Programs folder, which is on the list too, and a shortcut must
// not be filed twice.
void Walk(ScanContext& context, const std::string& folder, std::set<std::string>& walked) {
  if (!walked.insert(sys::ToLowerText(folder)).second) return;
  sys::FileSystem& files = *context.platform().files;
  std::vector<sys::FileEntry> entries;
  if (!files.ListFolder(folder, entries)) return;
  // The system lists "." and ".." first (not in a drive root); they are
  // items of the progress line like any other entry.
  if (!(folder.size() == 3 && IsDrivePath(folder))) {
    for (const char* dots : {".", ".."}) {
      if (context.Stopped()) return;
      context.ShowProgress(folder + dots);
    }
  }
  for (const sys::FileEntry& entry : entries) {
    if (context.Stopped()) return;
    const std::string path = folder + entry.name;
    context.ShowProgress(path);
    if (entry.IsReparsePoint()) continue;  // links are never followed
    if (entry.IsFolder()) {
      Walk(context, path + "\\", walked);
      continue;
    }
    if (LowerExtension(entry.name) != ".lnk") continue;
    sys::TLinkInfo info;
    if (!sys::ReadShortcut(files, *context.platform().shell, path, info)) continue;
    const std::string target = PathOf(context, info.path, sys::CommaRule::kPartOfPath);
    if (!target.empty() && !context.FileExistsWow64(target, 0) && !FolderExists(context, target))
      context.AddProblem(sys::kHKU, path, 0, kInvalidPath, target, "");
  }
}

}  // namespace

void CheckShortcuts(ScanContext& context) {
  RedirectionOff off(context);
  std::set<std::string> walked;
  for (int index : kShortcutFolders) {
    if (context.Stopped()) break;
    const std::string folder = sys::SpecialFolderPath(*context.platform().shell, index);
    // A folder the system does not have would otherwise become "\", the
    // root of the current drive.
    if (folder.empty()) continue;
    Walk(context, WalkFolder(folder), walked);
  }
}

}  // namespace vl::registry
