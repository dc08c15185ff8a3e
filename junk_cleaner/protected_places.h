// Protected places: folders whose files the junk scan never lists, whatever
// the masks (Windows, the program folders, the system's data, this
// program's folder, each user's Windows settings), found on this machine
// through the special folders and the registry's list of profiles, and the
// compiled set the walk asks once per folder.
#pragma once
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "sysaccess/platform.h"

namespace vl::junk {

// One protected folder with the subfolders below it that are still scanned
// (the Windows folder's Temp, the browser and thumbnail caches of a user).
struct ProtectedFolder {
  std::string folder;                   // full path ending with "\"
  std::vector<std::string> exceptions;  // full paths ending with "\"
};

// A default place: its key in data.db, the folders it stands for on this
// machine, and the words the user sees.
struct DefaultPlace {
  std::string key;
  std::string caption;  // the folder as the list shows it
  std::string warning;  // what may break when it is switched off
  std::vector<ProtectedFolder> folders;
};

// The default places of this machine, in list order. Keys: "windows",
// "programfiles", "programfilesx86", "programdata", "appfolder", "userwindows".
std::vector<DefaultPlace> DefaultPlaces(const sys::Platform& p);

// The set the walk tests folders against; paths compared without regard to
// the case of a to z and to a final "\".
class ProtectedFolders {
 public:
  void Add(const ProtectedFolder& f);
  void Add(const std::string& folder) { Add(ProtectedFolder{folder, {}}); }
  bool empty() const { return map_.empty(); }
  // The subfolders still scanned when `folder` is protected; nullptr when
  // it is not. One lookup, no allocation once warm.
  const std::vector<std::string>* Find(const std::string& folder) const;

 private:
  static void Key(const std::string& folder, std::string& out);
  std::unordered_map<std::string, std::vector<std::string>> map_;
  mutable std::string key_;
};

}  // namespace vl::junk
