// The shell: special folders, the shortcut object, the folder dialog, file
// version resources and the recycle bin.
#pragma once
#include <cstdint>
#include <string>

#include "sysaccess/files.h"

namespace vl::sys {

// What a shortcut (.lnk) file says, in the order the link object reports it.
struct TLinkInfo {
  std::string path;
  bool hasItemList = false;  // only its presence matters
  std::string workingFolder;
  std::string arguments;
  std::string description;
  std::string iconPath;  // the target path when the shortcut names no icon file
  int32_t iconIndex = 0;
  uint16_t hotKey = 0;
  uint8_t showMode = 0;  // 0 normal, 1 minimized, 2 maximized
};

class Shell {
 public:
  virtual ~Shell() = default;
  // Path of a shell folder by CSIDL, as the system gives it; empty when the
  // system has no such folder.
  virtual std::string FolderByCsidl(int csidl) = 0;
  // Reads a shortcut through the link object; false when it cannot be loaded
  // or has no item list.
  virtual bool LoadShortcut(const std::string& path, TLinkInfo& info) = 0;
  // The folder dialog; empty when the user cancels. Main thread only.
  virtual std::string BrowseForFolder(const std::string& startFolder, const std::string& title) = 0;
  // The file's version string from its version resource; empty when none.
  virtual std::string FileVersion(const std::string& path) = 0;
  // Brings up the registry editor (started when it is not running) and walks
  // its key tree to `keyText` ("HKEY_LOCAL_MACHINE\\SOFTWARE\\..."). Silent
  // when the editor's window or tree cannot be found.
  virtual void ShowKeyInRegistryEditor(const std::string& keyText) = 0;
  // Sends one file (a full path, no wildcards: kInvalidName otherwise) to the
  // recycle bin without any dialog. Files that merely share its name stem
  // ("page.htm" and "page_files") stay where they are. Never deletes for
  // good: a file the bin cannot take (no bin on its drive, too large for it,
  // or any other reason the shell would destroy it) stays where it is and
  // the call answers kCannotRecycle. 0 on success, nonzero otherwise.
  virtual uint32_t SendToRecycleBin(const std::string& path) = 0;
  // The same for an entry a scan saw: checked through a handle as
  // FileSystem::RemoveSeen checks (kStoppedOnSymlink, kFileChanged) right
  // before the shell's call, and held with the folders on its way for the
  // length of the call, so that none of them can be swapped for a link while
  // the shell works by path.
  virtual uint32_t RecycleSeen(const std::string& path, const SeenEntry& seen) = 0;
};

}  // namespace vl::sys
