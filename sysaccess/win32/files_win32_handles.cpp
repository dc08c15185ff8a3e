// The real file system: removals, moves and holds through one handle of the
// entry itself, checked on that handle (not a link, at the path the user
// saw, the size and time the scan saw) and then deleted or renamed through
// it, so that nothing between the check and the change can redirect it.
#include "sysaccess/win32/files_win32_handles.h"

#include <vector>

#include "sysaccess/sys_error.h"
#include "sysaccess/text.h"
#include "sysaccess/win32/file_values.h"
#include "sysaccess/win32/files_win32.h"
#include "sysaccess/win32/wide.h"

namespace vl::sys {

namespace win32 {

namespace {

constexpr DWORD kOpenFlags = FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

uint32_t LastError() {
  DWORD e = GetLastError();
  return e ? e : err::kGenFailure;
}

std::string WithoutTrailingBackslash(std::string p) {
  while (p.size() > 3 && p.back() == '\\') p.pop_back();
  return p;
}

// The path as the system resolves names: absolute, and with long names where
// it was given short ones (a final path always has the long ones).
std::string Absolute(const std::string& path) {
  std::wstring w = Wide(path);
  DWORD n = GetFullPathNameW(w.c_str(), 0, nullptr, nullptr);
  if (n == 0) return "";
  std::vector<wchar_t> buf(n + 1);
  n = GetFullPathNameW(w.c_str(), static_cast<DWORD>(buf.size()), buf.data(), nullptr);
  if (n == 0 || n >= buf.size()) return "";
  std::wstring full(buf.data(), n);
  if (full.find(L'~') != std::wstring::npos) {
    // Only the names change: a link on the way keeps its own name here.
    DWORD m = GetLongPathNameW(full.c_str(), nullptr, 0);
    if (m) {
      std::vector<wchar_t> longer(m + 1);
      m = GetLongPathNameW(full.c_str(), longer.data(), static_cast<DWORD>(longer.size()));
      if (m && m < longer.size()) full.assign(longer.data(), m);
    }
  }
  return WithoutTrailingBackslash(Narrow(full));
}

}  // namespace

// As a DOS path ("C:\dir\name", "\\server\share\name").
std::string FinalPath(HANDLE h) {
  std::vector<wchar_t> buf(1024);
  for (int tries = 0; tries < 2; ++tries) {
    DWORD n = GetFinalPathNameByHandleW(h, buf.data(), static_cast<DWORD>(buf.size()),
                                        FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0) return "";
    if (n < buf.size()) {
      std::string p = Narrow(buf.data(), n);
      if (p.rfind("\\\\?\\UNC\\", 0) == 0) p = "\\\\" + p.substr(8);
      else if (p.rfind("\\\\?\\", 0) == 0) p = p.substr(4);
      return WithoutTrailingBackslash(p);
    }
    buf.resize(n + 1);
  }
  return "";
}

namespace {

// The handle names the entry at `expected` (no link on the way, and not a
// link itself unless `linkExpected`).
uint32_t CheckPlace(HANDLE h, const std::string& expected, DWORD attributes, bool linkExpected) {
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) && !linkExpected) return err::kStoppedOnSymlink;
  const std::string real = FinalPath(h);
  if (real.empty()) return LastError();
  return EqualsNoCase(real, expected) ? 0 : err::kStoppedOnSymlink;
}


// Deletes the opened entry; a read-only one is made writable through the
// same handle for it and read-only again when the delete fails.
uint32_t DeleteThrough(HANDLE h, DWORD attributes) {
  const bool readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
  if (readOnly)
    if (uint32_t rc = SetAttributesOf(h, attributes & ~FILE_ATTRIBUTE_READONLY)) return rc;
  FILE_DISPOSITION_INFO disposition = {};
  disposition.DeleteFile = TRUE;
  uint32_t rc = SetFileInformationByHandle(h, FileDispositionInfo, &disposition, sizeof disposition) ? 0 : LastError();
  if (rc && readOnly) SetAttributesOf(h, attributes);
  return rc;
}

// "\??\C:\dir\name" or "\??\UNC\server\share\name": the form a rename
// through a handle takes.
std::wstring NtPath(const std::string& full) {
  if (full.rfind("\\\\", 0) == 0) return L"\\??\\UNC\\" + Wide(full.substr(2));
  return L"\\??\\" + Wide(full);
}

// Copies the opened file's bytes into a new file `to`, flushed, with the
// source's attributes and times; the new file's handle stays open (with
// delete access) so the copy can be taken back. 0 or the error.
uint32_t CopyInto(HANDLE from, const std::string& to, DWORD attributes, HANDLE& out) {
  out = CreateFileW(Wide(to).c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) {
    uint32_t e = LastError();
    return e == ERROR_FILE_EXISTS ? err::kAlreadyExists : e;
  }
  std::vector<char> buf(1 << 20);
  uint32_t rc = 0;
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(from, buf.data(), static_cast<DWORD>(buf.size()), &n, nullptr)) {
      rc = LastError();
      break;
    }
    if (n == 0) break;
    DWORD done = 0;
    while (done < n) {
      DWORD w = 0;
      if (!WriteFile(out, buf.data() + done, n - done, &w, nullptr) || w == 0) {
        rc = LastError();
        break;
      }
      done += w;
    }
    if (rc) break;
  }
  FILE_BASIC_INFO times = {};
  if (!rc && GetFileInformationByHandleEx(from, FileBasicInfo, &times, sizeof times)) {
    times.FileAttributes = attributes & ~(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT);
    if (!times.FileAttributes) times.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    SetFileInformationByHandle(out, FileBasicInfo, &times, sizeof times);
  }
  if (!rc && !FlushFileBuffers(out)) rc = LastError();
  return rc;
}

void TakeBack(HANDLE copy) {
  FILE_DISPOSITION_INFO disposition = {};
  disposition.DeleteFile = TRUE;
  // The copy may have been made read-only with its source's attributes.
  SetAttributesOf(copy, FILE_ATTRIBUTE_NORMAL);
  SetFileInformationByHandle(copy, FileDispositionInfo, &disposition, sizeof disposition);
}

}  // namespace

bool StillAt(HANDLE h, const std::string& path) {
  BY_HANDLE_FILE_INFORMATION held, now;
  if (!GetFileInformationByHandle(h, &held)) return false;
  HANDLE at = CreateFileW(Wide(path).c_str(), FILE_READ_ATTRIBUTES | SYNCHRONIZE, kShareAll, nullptr, OPEN_EXISTING,
                          kOpenFlags, nullptr);
  if (at == INVALID_HANDLE_VALUE) return false;
  const bool same = GetFileInformationByHandle(at, &now) && now.dwVolumeSerialNumber == held.dwVolumeSerialNumber &&
                    now.nFileIndexHigh == held.nFileIndexHigh && now.nFileIndexLow == held.nFileIndexLow;
  CloseHandle(at);
  return same;
}

uint32_t SetAttributesOf(HANDLE h, DWORD attributes) {
  FILE_BASIC_INFO info = {};  // zero times: left as they are
  info.FileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
  return SetFileInformationByHandle(h, FileBasicInfo, &info, sizeof info) ? 0 : LastError();
}

uint32_t OpenChecked(const std::string& path, const SeenEntry& seen, DWORD access, DWORD share, HANDLE& out,
                     CheckedInfo* info) {
  out = INVALID_HANDLE_VALUE;
  if (path.find_first_of("*?") != std::string::npos) return err::kInvalidName;
  const std::string expected = Absolute(path);
  if (expected.size() <= 3) return expected.empty() ? err::kInvalidName : err::kAccessDenied;
  HANDLE h = CreateFileW(Wide(expected).c_str(), access, share, nullptr, OPEN_EXISTING, kOpenFlags, nullptr);
  if (h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED && (access & FILE_WRITE_ATTRIBUTES))
    h = CreateFileW(Wide(expected).c_str(), access & ~FILE_WRITE_ATTRIBUTES, share, nullptr, OPEN_EXISTING,
                    kOpenFlags, nullptr);
  if (h == INVALID_HANDLE_VALUE) return LastError();
  BY_HANDLE_FILE_INFORMATION bhfi;
  if (!GetFileInformationByHandle(h, &bhfi)) {
    uint32_t e = LastError();
    CloseHandle(h);
    return e;
  }
  uint32_t rc = CheckPlace(h, expected, bhfi.dwFileAttributes, seen.link);
  const bool isLink = (bhfi.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  const bool isFolder = (bhfi.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (!rc && seen.link != isLink) rc = err::kFileChanged;
  if (!rc && !seen.link && isFolder != seen.folder) rc = err::kFileChanged;
  if (!rc && seen.checkSizeAndTime &&
      (Join(bhfi.nFileSizeHigh, bhfi.nFileSizeLow) != seen.size || Time(bhfi.ftLastWriteTime) != seen.lastWriteTime))
    rc = err::kFileChanged;
  if (rc) {
    CloseHandle(h);
    return rc;
  }
  if (info) {
    info->attributes = bhfi.dwFileAttributes;
    info->volumeSerial = bhfi.dwVolumeSerialNumber;
    info->fileIndex = Join(bhfi.nFileIndexHigh, bhfi.nFileIndexLow);
  }
  out = h;
  return 0;
}

uint32_t HoldChecked(const std::string& path, const SeenEntry& seen, bool shareDelete,
                     std::unique_ptr<EntryHold>& hold) {
  hold.reset();
  const std::string full = Absolute(path);
  if (full.size() <= 3) return full.empty() ? err::kInvalidName : err::kAccessDenied;
  auto held = std::make_unique<Win32Hold>();
  // Each folder below the drive root (or share), listed-access so that the
  // hold counts against a rename or delete, which needs delete sharing.
  size_t start = full.rfind("\\\\", 0) == 0 ? full.find('\\', full.find('\\', 2) + 1) : 2;
  for (size_t slash = full.find('\\', start + 1); slash != std::string::npos; slash = full.find('\\', slash + 1)) {
    const std::string folder = full.substr(0, slash);
    HANDLE h = CreateFileW(Wide(folder).c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, kOpenFlags, nullptr);
    if (h == INVALID_HANDLE_VALUE) return LastError();
    held->handles.push_back(h);
    BY_HANDLE_FILE_INFORMATION bhfi;
    if (!GetFileInformationByHandle(h, &bhfi)) return LastError();
    if (uint32_t rc = CheckPlace(h, folder, bhfi.dwFileAttributes, false)) return rc;
  }
  // The entry itself: with delete sharing the shell can still move it, and
  // then only its checked place counts; without, reading access makes the
  // hold refuse every rename and delete of it, the shell's included.
  HANDLE h = INVALID_HANDLE_VALUE;
  const DWORD access = shareDelete ? FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | SYNCHRONIZE
                                   : (seen.folder ? FILE_LIST_DIRECTORY : FILE_READ_DATA) | FILE_READ_ATTRIBUTES |
                                         SYNCHRONIZE;
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | (shareDelete ? FILE_SHARE_DELETE : 0);
  CheckedInfo info;
  if (uint32_t rc = OpenChecked(full, seen, access, share, h, &info)) return rc;
  held->handles.push_back(h);
  held->attributes = info.attributes;
  hold = std::move(held);
  return 0;
}

}  // namespace win32

using win32::CheckedInfo;
using win32::OpenChecked;

uint32_t Win32FileSystem::RemoveSeen(const std::string& path, const SeenEntry& seen) {
  HANDLE h;
  CheckedInfo info;
  if (uint32_t rc = OpenChecked(path, seen, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | SYNCHRONIZE,
                                win32::kShareAll, h, &info))
    return rc;
  uint32_t rc = win32::DeleteThrough(h, info.attributes);
  if (!CloseHandle(h) && !rc) rc = win32::LastError();
  return rc;
}

uint32_t Win32FileSystem::MoveSeen(const std::string& from, const std::string& to, const SeenEntry& seen) {
  const std::string target = win32::Absolute(to);
  if (target.empty()) return err::kInvalidName;
  HANDLE h;
  CheckedInfo info;
  if (uint32_t rc = OpenChecked(from, seen, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | SYNCHRONIZE,
                                win32::kShareAll, h, &info))
    return rc;
  const std::wstring name = win32::NtPath(target);
  std::vector<char> buf(sizeof(FILE_RENAME_INFO) + (name.size() + 1) * sizeof(wchar_t), 0);
  auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buf.data());
  rename->ReplaceIfExists = FALSE;  // an existing target is the caller's to rename around
  rename->RootDirectory = nullptr;
  rename->FileNameLength = static_cast<DWORD>(name.size() * sizeof(wchar_t));
  memcpy(rename->FileName, name.c_str(), name.size() * sizeof(wchar_t));
  uint32_t rc = SetFileInformationByHandle(h, FileRenameInfo, rename, static_cast<DWORD>(buf.size()))
                    ? 0
                    : win32::LastError();
  if (rc == ERROR_FILE_EXISTS) rc = err::kAlreadyExists;
  if (rc == err::kNotSameDevice && !(info.attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
    // Across drives: copy from the checked file (a second handle proven to be
    // the same file), flushed, then delete through the first handle.
    HANDLE in = CreateFileW(win32::Wide(win32::Absolute(from)).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (in == INVALID_HANDLE_VALUE) {
      rc = win32::LastError();
    } else {
      BY_HANDLE_FILE_INFORMATION same;
      if (!GetFileInformationByHandle(in, &same) || same.dwVolumeSerialNumber != info.volumeSerial ||
          win32::Join(same.nFileIndexHigh, same.nFileIndexLow) != info.fileIndex) {
        rc = err::kFileChanged;
      } else {
        HANDLE copy = INVALID_HANDLE_VALUE;
        rc = win32::CopyInto(in, target, info.attributes, copy);
        if (!rc) rc = win32::DeleteThrough(h, info.attributes);
        // Nothing is doubled: a move that could not finish leaves only the original.
        if (rc && copy != INVALID_HANDLE_VALUE) win32::TakeBack(copy);
        if (copy != INVALID_HANDLE_VALUE) CloseHandle(copy);
      }
      CloseHandle(in);
    }
  }
  CloseHandle(h);
  return rc;
}

uint32_t Win32FileSystem::HoldSeen(const std::string& path, const SeenEntry& seen, bool shareDelete,
                                   std::unique_ptr<EntryHold>& hold) {
  return win32::HoldChecked(path, seen, shareDelete, hold);
}

}  // namespace vl::sys
