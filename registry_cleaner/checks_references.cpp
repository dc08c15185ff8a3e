// Dispatch of the checks of references to files, programs and history.
#include "registry_cleaner/checks.h"
#include "registry_cleaner/check_references.h"
#include "registry_cleaner/scan_types.h"

namespace vl::registry {

bool RunReferencesCheck(int category, ScanContext& context) {
  switch (category) {
    case kAppPaths: CheckAppPaths(context); return true;
    case kFonts: CheckFonts(context); return true;
    case kHelp: CheckHelp(context); return true;
    case kShortcuts: CheckShortcuts(context); return true;
    case kMru: CheckMru(context); return true;
    case kSharedDlls: CheckSharedDlls(context); return true;
    case kSounds: CheckSounds(context); return true;
    case kStartMenu: CheckStartMenu(context); return true;
    case kStartup: CheckStartup(context); return true;
    case kServices: CheckServices(context); return true;
    case kUninstall: CheckUninstall(context); return true;
    default:
      return false;
  }
}

}  // namespace vl::registry
