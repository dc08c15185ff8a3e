// Stable control IDs of the main window, shared by the program, its tests and
// anything that drives the window from outside (BM_CLICK, LVM_GETITEMTEXT ...).
// Append only: an ID, once given, keeps its number.
#pragma once

// X(name, id)
#define VL_CONTROLS(X)                                                          \
  /* title strip, navigation, bottom strip */                                   \
  X(panTop, 1001) X(imgTop, 1002) X(imgClose, 1003) X(imgMin, 1004)            \
  X(labVer, 1005) X(panMain_Top, 1010) X(imgMStatus, 1011) X(imgMCleanup, 1012) \
  X(imgMOptimize, 1013) X(imgMBackup, 1014) X(imgMOptions, 1015)               \
  X(panBottom, 1020) X(labBottom, 1021)                                        \
  /* status page */                                                             \
  X(labStatus_Title, 1101) X(labStatus_Right_Title, 1102)                       \
  X(labLastScanCap, 1103) X(labLastScan, 1104) X(labLastBackupCap, 1105)        \
  X(labLastBackup, 1106) X(labLastOptimizationCap, 1107)                        \
  X(labLastOptimization, 1108) X(labAppVerCap, 1109) X(labAppVer, 1110)         \
  X(labStatus_RegistryCap, 1111) X(labStatus_Registry, 1112)                    \
  X(labStatus_JunkCap, 1113) X(labStatus_Junk, 1114)                            \
  X(labStatus_EvidenceCap, 1115) X(labStatus_Evidence, 1116)                    \
  X(labStatus_SummaryTitle, 1117)                                               \
  /* cleanup overview */                                                        \
  X(labCleanupTitle, 1201) X(imgRegistryCleaner, 1202) X(labRegistry, 1203)     \
  X(labRegistryDesc, 1204) X(imgJunkFile, 1205) X(labJunk, 1206)               \
  X(labJunkDesc, 1207) X(imgEvidence, 1208) X(labEvidence, 1209)               \
  X(labEvidenceDesc, 1210)                                                      \
  /* optimizer overview, options overview */                                    \
  X(labOptimizeTitle, 1301) X(panOptimize_Top, 1302) X(lstvOptimize, 1303)     \
  X(labOptionsTitle, 1401) X(panOptions_Top, 1402) X(lstvOptions, 1403)         \
  /* backup page */                                                             \
  X(labBackup_Title, 1501) X(labBackup_Desc, 1502)                              \
  /* registry cleaner pages */                                                  \
  X(labRegistryOTitle, 2001) X(labRegistryODesc, 2002) X(imgCBack1, 2003)       \
  X(labRegTitle, 2010) X(pbarRegistry, 2011) X(labScanInfo, 2012)              \
  X(lstvRegistryScan, 2013) X(imgRegStop, 2014)                                 \
  X(labRegistryRTitle, 2020) X(labRegistryRDesc, 2021) X(lstvRegistry, 2022)    \
  X(labRegError, 2023) X(labErrorKey, 2024) X(labErrorValue, 2025)             \
  X(labErrorOpen, 2026) X(labErrorIgnore, 2027) X(imgCBack4, 2028)              \
  X(labRegistry_Finish_Title, 2040) X(labRegistry_Finish_Desc, 2041)            \
  X(lstvRegFinish, 2042) X(imgRegFinish, 2043)                                  \
  X(labIgnoreTitle, 2050) X(labIgnoreDesc, 2051) X(lstvIgnore, 2052)            \
  X(imgOPBack3, 2053)                                                           \
  X(chklstRegistry, 2060) X(chkSelectAll, 2061) X(imgRegScan, 2062)            \
  X(chkRegSelectAll, 2063) X(chkISelectAll, 2064) X(imgIDelete, 2065)          \
  X(imgRegClean, 2066) X(imgSOptimizer, 2067)                                   \
  /* junk cleaner pages */                                                      \
  X(labJunkSTitle, 3001) X(labJunkSDesc, 3002) X(imgCBack2, 3003)               \
  X(labJunk_Scan_Title, 3010) X(labJunk_Scan_Desc, 3011) X(lstvJunkScan, 3012)  \
  X(panJunk_Scan_Hint, 3013) X(imgJunkStop, 3014)                               \
  X(labJunkRTitle, 3020) X(lstvJunkResult, 3021) X(imgCBack5, 3022)             \
  X(labJunk_Finish_Title, 3030) X(labJunk_Finish_Desc, 3031)                    \
  X(lstvJunkFinish, 3032) X(imgJunkBack, 3033)                                  \
  /* evidence cleaner pages */                                                  \
  X(labEvidenceOTitle, 4001) X(labEvidenceODesc, 4002) X(imgCBack3, 4003)         \
  X(labEvidenceSTitle, 4010) X(labEvidenceSDesc, 4011) X(lstvEScan, 4012)       \
  X(panEvidenceHint, 4013) X(imgEStop, 4014)                                    \
  X(labEvidenceRTitle, 4020) X(lstvEResult, 4021) X(imgCBack6, 4022)            \
  X(labEvidenceFTitle, 4030) X(lstvEFinish, 4031) X(imgEvidenceBack, 4032)      \
  /* optimizer pages */                                                         \
  X(labNetworkTitle, 5001) X(labNetworkDesc, 5002) X(imgOBack1, 5003)           \
  X(panOptimize_Network_Top, 5004)                                              \
  X(labDiskCacheTitle, 5011) X(labDiskCacheDesc, 5012) X(imgOBack2, 5013)       \
  X(panOptimize_DiskCache_Top, 5014)                                            \
  X(labDesktopTitle, 5021) X(labDesktopDesc, 5022) X(imgOBack3, 5023)           \
  X(panOptimize_Desktop_Top, 5024)                                              \
  X(labFileSystemTitle, 5031) X(labFileSystemDesc, 5032) X(imgOBack4, 5033)     \
  X(panOptimize_FileSystem_Top, 5034)                                           \
  X(labStartupTitle, 5041) X(labStartupDesc, 5042) X(imgOBack5, 5043)           \
  X(labOptimize_Finish_Title, 5051) X(labOptimize_Finish_Desc, 5052)            \
  X(imgOptimizeBack, 5053)                                                      \
  /* options pages: settings, report */                                         \
  X(labSettingsTitle, 6001) X(labSettingsDesc, 6002) X(imgOPBack2, 6003)        \
  X(chkSEUpdate, 6004)                                                          \
  X(labReportTitle, 6101) X(labReportDesc, 6102) X(lstvReport, 6103)            \
  X(labRLastScan, 6104) X(imgOPBack4, 6105)                                    \
  /* settings page groups and boxes, report page button */                      \
  X(labSEUpdateGroup, 6010) X(labSEUpdate, 6011) X(labSEStartupGroup, 6012)     \
  X(chkSEStartup, 6013) X(chkSEMin, 6014) X(labSEBackupGroup, 6015)             \
  X(chkSENoBackup, 6016) X(chkSENoOBackup, 6017) X(imgSaveSet, 6018)            \
  X(imgScanAgain, 6110)                                                         \
  /* backup page: tabs, lists, buttons */                                       \
  X(imgFBackup, 1503) X(imgRBackup, 1504) X(imgOBackup, 1505)                   \
  X(lstvFBackup, 1506) X(lstvRBackup, 1507) X(lstvOBackup, 1508)                \
  X(imgBDelete, 1509) X(imgBRestore, 1510) X(imgRegBackup, 1511)              \
  /* scan result export */                                                      \
  X(imgRegExport, 2070)                                                         \
  /* junk cleaner: start page lists and buttons, result options, export */      \
  X(lstvJunkDrives, 3040) X(lstvJunkType, 3041) X(chkSelectAll_Junk, 3042)     \
  X(imgAddJunk, 3043) X(imgEditJunk, 3044) X(imgDelJunk, 3045)                 \
  X(imgJunkScan, 3046) X(labJunkOptionsGroup, 3047) X(radDeleteToRec, 3048)    \
  X(radDeleteFile, 3049) X(radRemoveDir, 3050) X(imgJunkClean, 3051)           \
  X(imgJunkExport, 3052)                                                        \
  /* junk cleaner: file list of the result page, protected folders */           \
  X(lstvJunkFiles, 3053) X(chkSelectAll_JunkFiles, 3054) X(imgJunkProtect, 3055) \
  /* junk cleaner: protected folder dialog */                                    \
  X(labProtectPrompt, 3070) X(lstvJunkProtect, 3071) X(imgAddProtect, 3072)      \
  X(imgDelProtect, 3073) X(btnProtectClose, 3074)                                \
  /* junk type dialog (TfrmJunk) */                                             \
  X(labJunkPrompt, 3060) X(labExt, 3061) X(labDesc, 3062) X(edtExt, 3063)      \
  X(edtDesc, 3064) X(btnOk, 3065) X(btnCancel, 3066)                             \
  /* evidence cleaner: tree, scan button, details, clean, export */             \
  X(treeEvidence, 4040) X(chkESelectAll, 4041) X(imgEviScan, 4042)              \
  X(labEvidenceRDesc, 4043) X(lstvEResultDesc, 4044) X(imgEClean, 4045)         \
  X(imgEExport, 4046) X(labEvidenceFDesc, 4047)                                 \
  /* optimizer: profile radio groups, option lists, optimize buttons */         \
  X(labNetworkGroup, 5101) X(radgNetwork0, 5102) X(radgNetwork1, 5103)          \
  X(radgNetwork2, 5104) X(radgNetwork3, 5105) X(radgNetwork4, 5106)             \
  X(radgNetwork5, 5107) X(radgNetwork6, 5108) X(chklstNetwork, 5109)            \
  X(imgOptimizeN, 5110)                                                         \
  X(labDiskCacheGroup, 5111) X(radgDiskCache0, 5112) X(radgDiskCache1, 5113)    \
  X(radgDiskCache2, 5114) X(radgDiskCache3, 5115) X(radgDiskCache4, 5116)       \
  X(chklstDiskCache, 5117) X(imgOptimizeD, 5118)                                \
  X(labDesktopGroup, 5121) X(radgDesktop0, 5122) X(radgDesktop1, 5123)          \
  X(lstvDesktop, 5124) X(imgOptimizeDT, 5125)                                   \
  X(labFileSystemGroup, 5131) X(radgFileSystem0, 5132)                          \
  X(radgFileSystem1, 5133) X(chklstFileSystem, 5134) X(imgOptimizeF, 5135)      \
  /* startup manager: tabs, lists, buttons */                                   \
  X(imgSRemove, 5141) X(imgSRestore, 5142) X(lstvSRemove, 5143)                 \
  X(lstvSRestore, 5144) X(imgStartupRemove, 5145) X(imgStartupRestore, 5146)

namespace vl::id {
#define VL_CONTROL_ENUM(name, value) name = value,
enum ControlId : int { VL_CONTROLS(VL_CONTROL_ENUM) };
#undef VL_CONTROL_ENUM

// The name of a control as the code spells it (its accessible name); empty
// for a number that is no control.
inline const char* Name(int control) {
#define VL_CONTROL_NAME(name, value) \
  case value: return #name;
  switch (control) { VL_CONTROLS(VL_CONTROL_NAME) }
#undef VL_CONTROL_NAME
  return "";
}
}  // namespace vl::id

// Tab sheets of the page control (not page codes: several codes share a sheet).
namespace vl::sheet {
enum Sheet : int {
  None = 0,
  tabStatus = 1, tabCleanup, tabOptimize, tabBackup, tabOptions,
  tabRegistry, tabRegistry_Scan, tabRegistry_Result, tabRegistry_Finish,
  tabJunk, tabJunk_Scan, tabJunk_Result, tabJunk_Finish,
  tabEvidence, tabEvidence_Scan, tabEvidence_Result, tabEvidence_Finish,
  tabOptimize_Network, tabOptimize_DiskCache, tabOptimize_Desktop, tabOptimize_FileSystem,
  tabOptimize_Startup, tabOptimize_Finish,
  tabSettings, tabIgnore, tabReport,
};
}  // namespace vl::sheet
