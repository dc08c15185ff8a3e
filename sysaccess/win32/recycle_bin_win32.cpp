// The recycle bin through the shell's file operation.
#include <windows.h>
#include <shellapi.h>

#include "sysaccess/full_path_check.h"
#include "sysaccess/sys_error.h"
#include "sysaccess/win32/shell_win32.h"
#include "sysaccess/win32/wide.h"

namespace vl::sys {

uint32_t Win32Shell::SendToRecycleBin(const std::string& path) {
  // The operation expands wildcards and resolves relative names against the
  // current folder: only a full path of one entry goes in.
  if (!IsFullEntryPath(path)) return err::kInvalidName;
  std::wstring from = win32::Wide(path);
  from.push_back(L'\0');  // a list of one name: the string's own NUL ends the list
  SHFILEOPSTRUCTW op = {};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  // No connected elements: recycling "page.htm" must not take "page_files" along.
  op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT | FOF_NO_CONNECTED_ELEMENTS;
  int r = SHFileOperationW(&op);
  if (r != 0) return static_cast<uint32_t>(r);
  return op.fAnyOperationsAborted ? err::kCancelled : 0;
}

}  // namespace vl::sys
