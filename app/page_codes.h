// The pages of the main window by code. The numbers are the system's own
// (the top buttons are 1 to 5, a cleaner's pages count up from its hundred)
// and never change.
#pragma once

namespace vl::page {

enum Code : int {
  kStatus = 1, kCleanup = 2, kOptimize = 3, kBackup = 4, kOptions = 5,
  kRegistryOptions = 101, kRegistryScan = 102, kRegistryResult = 103, kRegistryRepair = 104,
  kRegistryFinish = 105,
  kJunkOptions = 201, kJunkScan = 202, kJunkResult = 203, kJunkClean = 204, kJunkFinish = 205,
  kEvidenceOptions = 301, kEvidenceScan = 302, kEvidenceResult = 303, kEvidenceClean = 304,
  kEvidenceFinish = 305,
  kNetwork = 401, kDiskCache = 402, kDesktop = 403, kFileSystem = 404, kStartupManager = 405,
  kOptimizeFinish = 407,
  kSettings = 502, kIgnoreList = 503, kReport = 504,
};

}  // namespace vl::page
