// A profile run on the registry: each change goes through the backed-up
// registry change, so the backup holds every value as it was before the
// run (or a line that removes it again) before the value changes, and a
// key the run deletes is backed up with its whole tree.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "optimizer/tweak_tables.h"
#include "sysaccess/platform.h"

namespace vl::optimizer {

struct TweakOutcome {
  int made = 0;     // changes made
  int skipped = 0;  // key absent, or nothing left to delete
  // Changes the registry refused, as "HKEY_...\key\name: reason".
  std::vector<std::string> refused;
  // A backup write failed: the run stopped before the change it was for.
  bool backupFailed = false;
  std::string backupProblem;
  // The backup file written; empty when the run wrote none.
  std::string backupFile;
};

// Makes the changes in order. `backupPath` names the backup file when the
// first record is written; null runs without a backup (the user's choice).
TweakOutcome ApplyTweaks(sys::Platform& platform, const std::vector<Tweak>& tweaks, uint32_t access,
                         std::function<std::string()> backupPath);

}  // namespace vl::optimizer
