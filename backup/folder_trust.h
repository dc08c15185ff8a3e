// Whether Vantorel may trust its own files. Both programs run as
// administrator and act on what the program folder holds (Settings.ini's
// server, data.db's startup rows and move folder, backup\'s .reg files,
// update\'s downloads): when another account can change any of them, what
// they say is not the administrator's word. Checked at every start; updates,
// restores and the move clean are refused while it fails.
#pragma once
#include <string>
#include <vector>

#include "sysaccess/platform.h"

namespace vl::backup {

// The download folder of both programs, below the application folder.
inline constexpr char kUpdateFolder[] = "update\\";

// Makes backup\ and update\ below the application folder where they are
// missing, so that only administrators can change or read them (a full
// backup holds every loaded user hive). What is made below them inherits
// that. Existing folders are left as they are.
void CreateAdminOnlyFolders(const sys::Platform& platform);

struct FolderProblem {
  std::string path;
  std::vector<std::string> who;  // accounts that may change it
  bool unreadable = false;       // its permissions could not be read
};

class FolderTrust {
 public:
  // Checks the program folder, Settings.ini, data.db, backup\ and update\.
  static FolderTrust Check(const sys::Platform& platform);

  bool trusted() const { return problems_.empty(); }
  const std::vector<FolderProblem>& problems() const { return problems_; }
  // Which files others can change, what is turned off and what to do.
  std::string Explanation() const;
  // The short note for an action refused after the explanation was shown.
  static std::string Refusal(const std::string& action);

 private:
  std::vector<FolderProblem> problems_;
};

}  // namespace vl::backup
