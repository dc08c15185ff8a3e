// Opening an entry that a scan saw, checked on its own handle; shared by the
// file system (removals, moves, holds) and the shell's recycle bin.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "sysaccess/files.h"

namespace vl::sys::win32 {

// What the check learnt through the handle.
struct CheckedInfo {
  DWORD attributes = 0;
  DWORD volumeSerial = 0;
  uint64_t fileIndex = 0;
};

// Opens `path` itself (a final link is not followed) with `access` and
// `share`, and checks on that handle that it is not a link (unless `seen`
// says it was one), that it is of the seen kind, size and last write time,
// and that its final path is `path` (no link on the way). 0 and the handle
// in `out`, or the error (kStoppedOnSymlink, kFileChanged, the system's).
uint32_t OpenChecked(const std::string& path, const SeenEntry& seen, DWORD access, DWORD share, HANDLE& out,
                     CheckedInfo* info = nullptr);

// Handles of an entry and the folders on its way; the entry's is the last.
class Win32Hold : public EntryHold {
 public:
  ~Win32Hold() override {
    for (HANDLE h : handles) CloseHandle(h);
  }
  HANDLE entry() const { return handles.back(); }
  std::vector<HANDLE> handles;
  DWORD attributes = 0;  // the entry's, when it was checked
};

// Opens the entry and each folder on its way from the drive root so that
// none of them can be renamed or removed while held (the folders without
// delete sharing; the entry with it when `shareDelete`, and then with
// write-attributes access where granted), each checked to lie at its path
// and not to be a link. `hold` is a Win32Hold.
uint32_t SetAttributesOf(HANDLE h, DWORD attributes);

// Where the opened entry really is now ("C:\\dir\\name"); empty when the
// system cannot say.
std::string FinalPath(HANDLE h);

// Whether the entry at `path` now is the opened one (same volume and file
// index; Wine does not update an open handle's final path when another
// handle renames the file, so the identity decides).
bool StillAt(HANDLE h, const std::string& path);

uint32_t HoldChecked(const std::string& path, const SeenEntry& seen, bool shareDelete,
                     std::unique_ptr<EntryHold>& hold);

}  // namespace vl::sys::win32
