// The check of who may change Vantorel's own files, and what it tells.
#include "backup/folder_trust.h"

#include "sysaccess/security.h"

namespace vl::backup {

namespace {
std::string WithoutSlash(std::string path) {
  while (path.size() > 3 && path.back() == '\\') path.pop_back();
  return path;
}
}  // namespace

void CreateAdminOnlyFolders(const sys::Platform& platform) {
  if (!platform.security) return;
  for (const char* folder : {"backup\\", kUpdateFolder}) {
    const std::string path = WithoutSlash(platform.appDir + folder);
    // A failure leaves the folder to be made later by whoever needs it;
    // the check below then judges what it got.
    if (!platform.files->DirectoryExists(path)) platform.security->CreateAdminOnlyFolder(path);
  }
}

FolderTrust FolderTrust::Check(const sys::Platform& platform) {
  FolderTrust trust;
  const std::string& dir = platform.appDir;
  for (const std::string& path : {WithoutSlash(dir), dir + "Settings.ini", dir + "data.db", WithoutSlash(dir + "backup\\"),
                                  WithoutSlash(dir + kUpdateFolder)}) {
    FolderProblem problem{path, {}, false};
    if (!platform.security)
      problem.unreadable = true;
    else
      problem.who = sys::OthersWhoMayChange(*platform.security, path, &problem.unreadable);
    if (problem.unreadable || !problem.who.empty()) trust.problems_.push_back(problem);
  }
  return trust;
}

std::string FolderTrust::Explanation() const {
  std::string text = "Other accounts on this PC can change Vantorel's files:\r\r";
  for (const FolderProblem& p : problems_) {
    text += p.path + "  (";
    if (p.unreadable) {
      text += "its permissions could not be read";
    } else {
      for (size_t i = 0; i < p.who.size(); ++i) text += (i ? ", " : "") + p.who[i];
    }
    text += ")\r";
  }
  text +=
      "\rVantorel runs as administrator, so changes to these files could make it change the system for "
      "someone else. Until this is fixed, Vantorel does not check for or install updates, restore registry "
      "backups or startup entries, or move junk files to a folder. Scans and the other cleans work as usual.\r\r"
      "To fix it, install Vantorel into the Program Files folder, where only administrators can change files, "
      "and start it from there.";
  return text;
}

std::string FolderTrust::Refusal(const std::string& action) {
  return action +
         " is turned off because other accounts on this PC can change Vantorel's files. Install Vantorel "
         "into the Program Files folder and start it from there.";
}

}  // namespace vl::backup
