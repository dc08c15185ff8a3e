// The checks of registry entries that name a file, a folder or a program,
// plus the shortcut files and the history lists (categories 1, 4, 5, 7 to 14).
#pragma once
#include "registry_cleaner/scan_context.h"

namespace vl::registry {

void CheckAppPaths(ScanContext& context);     // 1
void CheckFonts(ScanContext& context);        // 4
void CheckHelp(ScanContext& context);         // 5
void CheckShortcuts(ScanContext& context);    // 7
void CheckMru(ScanContext& context);          // 8
void CheckSharedDlls(ScanContext& context);   // 9
void CheckSounds(ScanContext& context);       // 10
void CheckStartMenu(ScanContext& context);    // 11
void CheckStartup(ScanContext& context);      // 12
void CheckServices(ScanContext& context);     // 13
void CheckUninstall(ScanContext& context);    // 14

}  // namespace vl::registry
