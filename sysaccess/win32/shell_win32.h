// The real shell: shell32 folders and folder dialog, the shell link object
// through ole32, version resources through version.dll, the recycle bin
// through the shell's file operation.
#pragma once
#include "sysaccess/shell.h"

namespace vl::sys {

class Win32Shell : public Shell {
 public:
  std::string FolderByCsidl(int csidl) override;
  bool LoadShortcut(const std::string& path, TLinkInfo& info) override;
  std::string BrowseForFolder(const std::string& startFolder, const std::string& title) override;
  std::string FileVersion(const std::string& path) override;
  void ShowKeyInRegistryEditor(const std::string& keyText) override;
  uint32_t SendToRecycleBin(const std::string& path) override;
  uint32_t RecycleSeen(const std::string& path, const SeenEntry& seen) override;
};

}  // namespace vl::sys
