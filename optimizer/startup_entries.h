// The startup manager's work on the machine: the entries Windows starts at
// logon (the two Run keys, the two Startup folders), the entries removed
// earlier (table `startup` of data.db, shortcuts kept in backup\lnk\), and
// moving ticked entries from one side to the other.
//
// An entry is recorded before it is removed and stays where it is when it
// cannot be moved, so nothing is recorded as removed that still starts and
// nothing removed is lost.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "sysaccess/platform.h"

namespace vl::optimizer {

struct TStartup {
  int64_t sid = 0;     // identity in `startup`; 0 while active
  std::string sname;   // Run value name ("(Default)" for the unnamed one) or shortcut file name
  int16_t stype = 0;   // StartupType
  std::string spath;   // the command line, or the shortcut's target
  bool ticked = false;
  // A Run value as it was: its type and exact bytes (a REG_EXPAND_SZ
  // comes back as one, a REG_MULTI_SZ whole), and whether it is the unnamed
  // value, which a real value named "(Default)" is not. Without `exact`
  // (rows of older versions) it is put back as REG_SZ of spath.
  bool exact = false;
  uint32_t vtype = 0;
  std::string vdata;
  bool unnamed = false;
};

enum StartupType : int16_t { kUserRun = 1, kMachineRun = 2, kUserFolder = 3, kCommonFolder = 4 };

extern const char kRunKey[];

class StartupStore {
 public:
  StartupStore(sys::Platform& platform, uint32_t access, std::string dbPath);

  // What Windows starts now, location 1 to 4 in that order.
  std::vector<TStartup> LoadActive();
  // What was removed, newest first; empty without data.db or its table.
  std::vector<TStartup> LoadRemoved();
  // Moves the ticked entries of `active` (last to first) to the end of
  // `removed`. An entry that could not be removed stays active and ticked,
  // with a line in `problems` ("name: reason").
  void Remove(std::vector<TStartup>& active, std::vector<TStartup>& removed, std::vector<std::string>& problems);
  // Moves the ticked entries of `removed` (last to first) to the end of
  // `active`; one that could not be put back stays removed.
  void Restore(std::vector<TStartup>& active, std::vector<TStartup>& removed, std::vector<std::string>& problems);

  // Folder of a Startup-folder type with a trailing backslash; empty when
  // the system has none.
  std::string StartupFolder(int16_t stype);
  std::string LnkFolder() const;

 private:
  sys::Platform& platform_;
  const uint32_t access_;
  const std::string dbPath_;
};

}  // namespace vl::optimizer
