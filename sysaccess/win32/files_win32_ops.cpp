// The real file system: the walk of one folder (FindFirstFileExW) and the
// calls that move, copy and replace files, answering with GetLastError().
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>

#include "sysaccess/sys_error.h"
#include "sysaccess/win32/files_win32.h"
#include "sysaccess/win32/file_values.h"
#include "sysaccess/win32/wide.h"

namespace vl::sys {

using win32::Join;
using win32::Narrow;
using win32::Time;
using win32::Wide;

namespace {


std::atomic<unsigned> g_tempNumber{0};

bool WriteAll(HANDLE f, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(data.size() - done, 1u << 24));
    DWORD n = 0;
    if (!WriteFile(f, data.data() + done, chunk, &n, nullptr) || n == 0) return false;
    done += n;
  }
  return true;
}

}  // namespace

uint32_t Win32FileSystem::WalkFolder(const std::string& folder, const WalkVisitor& visit) {
  std::string pattern = folder;
  if (!pattern.empty() && pattern.back() != '\\' && pattern.back() != '/') pattern += '\\';
  std::wstring w = Wide(pattern + "*");
  WIN32_FIND_DATAW fd;
  // The basic level skips the short names; the large fetch asks for bigger
  // batches. Systems before Windows 7 know neither and refuse the call.
  HANDLE h = FindFirstFileExW(w.c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr,
                              FIND_FIRST_EX_LARGE_FETCH);
  if (h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_INVALID_PARAMETER)
    h = FindFirstFileExW(w.c_str(), FindExInfoStandard, &fd, FindExSearchNameMatch, nullptr, 0);
  if (h == INVALID_HANDLE_VALUE) {
    DWORD e = GetLastError();
    // A drive root has no dot entries, so an empty one has nothing at all.
    if (e == ERROR_FILE_NOT_FOUND) return DirectoryExists(folder) ? 0 : err::kPathNotFound;
    return e ? e : err::kGenFailure;
  }
  do {
    const wchar_t* n = fd.cFileName;
    if ((n[0] == L'.' && n[1] == 0) || (n[0] == L'.' && n[1] == L'.' && n[2] == 0)) continue;
    FileEntry e;
    e.name = Narrow(n, wcslen(n));
    e.attributes = fd.dwFileAttributes;
    e.size = Join(fd.nFileSizeHigh, fd.nFileSizeLow);
    e.creationTime = Time(fd.ftCreationTime);
    e.lastAccessTime = Time(fd.ftLastAccessTime);
    e.lastWriteTime = Time(fd.ftLastWriteTime);
    if (!visit(e)) break;
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  return 0;
}

uint32_t Win32FileSystem::MoveFileTo(const std::string& from, const std::string& to) {
  // No replace flag: an existing target is the caller's to rename around.
  // Across drives the copy is flushed before the source goes.
  if (MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH)) return 0;
  DWORD e = GetLastError();
  return e ? e : err::kGenFailure;
}

uint32_t Win32FileSystem::CopyFileTo(const std::string& from, const std::string& to, bool overwrite) {
  if (overwrite) {
    DWORD a = GetFileAttributesW(Wide(to).c_str());
    if (a != INVALID_FILE_ATTRIBUTES && (a & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
      return err::kAccessDenied;
  }
  if (CopyFileW(Wide(from).c_str(), Wide(to).c_str(), overwrite ? FALSE : TRUE)) return 0;
  DWORD e = GetLastError();
  return e ? e : err::kGenFailure;
}

uint32_t Win32FileSystem::ReplaceFileData(const std::string& path, const std::string& data) {
  std::string full = FullPath(path);
  size_t slash = full.find_last_of('\\');
  if (full.empty() || slash == std::string::npos || slash + 1 == full.size()) return err::kInvalidName;
  std::wstring target = Wide(full);
  DWORD a = GetFileAttributesW(target.c_str());
  if (a != INVALID_FILE_ATTRIBUTES && (a & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
    return err::kAccessDenied;
  // Beside the target, so that the final rename stays on its volume.
  std::wstring temp = Wide(full + "." + std::to_string(GetCurrentProcessId()) + "-" +
                           std::to_string(++g_tempNumber) + ".tmp");
  HANDLE f = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) {
    DWORD e = GetLastError();
    return e ? e : err::kGenFailure;
  }
  bool ok = WriteAll(f, data) && FlushFileBuffers(f);
  DWORD e = ok ? 0 : GetLastError();
  if (!CloseHandle(f) && ok) {
    ok = false;
    e = GetLastError();
  }
  if (ok && !MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    ok = false;
    e = GetLastError();
  }
  if (ok) return 0;
  DeleteFileW(temp.c_str());
  return e ? e : err::kGenFailure;
}

uint32_t Win32FileSystem::CreateNewFile(const std::string& path, const std::string& data) {
  const std::wstring w = Wide(path);
  HANDLE f = CreateFileW(w.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  if (f == INVALID_HANDLE_VALUE) return GetLastError();
  uint32_t result = 0;
  if (!WriteAll(f, data) || !FlushFileBuffers(f)) result = GetLastError() ? GetLastError() : err::kGenFailure;
  CloseHandle(f);
  if (result != 0) DeleteFileW(w.c_str());
  return result;
}

uint32_t Win32FileSystem::TruncateFile(const std::string& path, uint64_t size) {
  HANDLE f = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return GetLastError();
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(size);
  uint32_t result = 0;
  if (!SetFilePointerEx(f, at, nullptr, FILE_BEGIN) || !SetEndOfFile(f) || !FlushFileBuffers(f))
    result = GetLastError() ? GetLastError() : err::kGenFailure;
  CloseHandle(f);
  return result;
}

}  // namespace vl::sys
