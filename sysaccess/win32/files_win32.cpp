// File system primitives on kernel32 (wide functions).
#include "sysaccess/win32/files_win32.h"

#include <windows.h>

#include <vector>

#include "sysaccess/win32/file_values.h"
#include "sysaccess/win32/wide.h"

namespace vl::sys {

using win32::Join;
using win32::Narrow;
using win32::Time;
using win32::Wide;

namespace {


class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() { if (ok()) CloseHandle(h_); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool ok() const { return h_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
};

}  // namespace

bool Win32FileSystem::FileExists(const std::string& path) {
  DWORD a = GetFileAttributesW(Wide(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::DirectoryExists(const std::string& path) {
  DWORD a = GetFileAttributesW(Wide(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::ReadFileBytes(const std::string& path, std::string& out) {
  Handle f(CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f.ok()) return false;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(f.get(), &size) || size.QuadPart > 0x7FFFFFFF) return false;
  out.assign(static_cast<size_t>(size.QuadPart), '\0');
  size_t done = 0;
  while (done < out.size()) {
    DWORD n = 0;
    if (!ReadFile(f.get(), &out[done], static_cast<DWORD>(out.size() - done), &n, nullptr)) return false;
    if (n == 0) break;
    done += n;
  }
  out.resize(done);
  return true;
}

bool Win32FileSystem::WriteFileBytes(const std::string& path, const std::string& data) {
  Handle f(CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                       nullptr));
  if (!f.ok()) return false;
  size_t done = 0;
  while (done < data.size()) {
    DWORD n = 0;
    if (!WriteFile(f.get(), data.data() + done, static_cast<DWORD>(data.size() - done), &n, nullptr) || n == 0)
      return false;
    done += n;
  }
  // Backups must be on disk before the change they record is made.
  return FlushFileBuffers(f.get()) != 0;
}

bool Win32FileSystem::AppendFileBytes(const std::string& path, const std::string& data) {
  Handle f(CreateFileW(Wide(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f.ok()) return false;
  size_t done = 0;
  while (done < data.size()) {
    DWORD n = 0;
    if (!WriteFile(f.get(), data.data() + done, static_cast<DWORD>(data.size() - done), &n, nullptr) || n == 0)
      return false;
    done += n;
  }
  return FlushFileBuffers(f.get()) != 0;
}

bool Win32FileSystem::CreateFolder(const std::string& path) {
  if (path.empty()) return false;
  if (DirectoryExists(path)) return true;
  std::string p = path;
  while (p.size() > 3 && (p.back() == '\\' || p.back() == '/')) p.pop_back();
  size_t slash = p.find_last_of("\\/");
  if (slash != std::string::npos && slash > 2) CreateFolder(p.substr(0, slash));
  ::CreateDirectoryW(Wide(p).c_str(), nullptr);
  return DirectoryExists(p);
}

std::string Win32FileSystem::NativePath(const std::string& path) { return path; }

bool Win32FileSystem::ReadFilePart(const std::string& path, uint64_t offset, size_t count, std::string& out) {
  Handle f(CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f.ok()) return false;
  LARGE_INTEGER pos;
  pos.QuadPart = static_cast<LONGLONG>(offset);
  if (!SetFilePointerEx(f.get(), pos, nullptr, FILE_BEGIN)) return false;
  out.assign(count, '\0');
  DWORD n = 0;
  if (count && !ReadFile(f.get(), &out[0], static_cast<DWORD>(count), &n, nullptr)) return false;
  out.resize(n);
  return true;
}

bool Win32FileSystem::ListFolder(const std::string& folder, std::vector<FileEntry>& entries) {
  entries.clear();
  return WalkFolder(folder, [&entries](const FileEntry& e) {
    entries.push_back(e);
    return true;
  }) == 0;
}

bool Win32FileSystem::GetEntry(const std::string& path, FileEntry& entry) {
  if (path.find_first_of("*?") != std::string::npos) return false;
  WIN32_FILE_ATTRIBUTE_DATA d;
  if (!GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &d)) return false;
  entry = FileEntry();
  std::string p = path;
  while (p.size() > 3 && p.back() == '\\') p.pop_back();
  size_t slash = p.find_last_of("\\/");
  entry.name = (slash == std::string::npos || slash + 1 == p.size()) ? "" : p.substr(slash + 1);
  entry.attributes = d.dwFileAttributes;
  entry.size = Join(d.nFileSizeHigh, d.nFileSizeLow);
  entry.creationTime = Time(d.ftCreationTime);
  entry.lastAccessTime = Time(d.ftLastAccessTime);
  entry.lastWriteTime = Time(d.ftLastWriteTime);
  return true;
}

uint32_t Win32FileSystem::SetAttributes(const std::string& path, uint32_t attributes) {
  return SetFileAttributesW(Wide(path).c_str(), attributes) ? 0 : GetLastError();
}

uint32_t Win32FileSystem::RemoveFile(const std::string& path) {
  return DeleteFileW(Wide(path).c_str()) ? 0 : GetLastError();
}

uint32_t Win32FileSystem::RemoveFolder(const std::string& path) {
  return RemoveDirectoryW(Wide(path).c_str()) ? 0 : GetLastError();
}

std::string Win32FileSystem::FullPath(const std::string& path) {
  std::wstring w = Wide(path);
  DWORD n = GetFullPathNameW(w.c_str(), 0, nullptr, nullptr);
  if (n == 0) return "";
  std::vector<wchar_t> buf(n + 1);
  n = GetFullPathNameW(w.c_str(), static_cast<DWORD>(buf.size()), buf.data(), nullptr);
  return n ? Narrow(buf.data(), n) : std::string();
}

std::string Win32FileSystem::CurrentFolder() {
  DWORD n = GetCurrentDirectoryW(0, nullptr);
  std::vector<wchar_t> buf(n + 1);
  n = GetCurrentDirectoryW(static_cast<DWORD>(buf.size()), buf.data());
  return Narrow(buf.data(), n);
}

bool Win32FileSystem::SetCurrentFolder(const std::string& path) {
  return SetCurrentDirectoryW(Wide(path).c_str()) != 0;
}

DriveKind Win32FileSystem::DriveKindOf(const std::string& root) {
  return static_cast<DriveKind>(GetDriveTypeW(Wide(root).c_str()));
}

bool Win32FileSystem::VolumeLabel(const std::string& root, std::string& label) {
  wchar_t buf[256] = {0};
  if (!GetVolumeInformationW(Wide(root).c_str(), buf, 255, nullptr, nullptr, nullptr, nullptr, 0)) return false;
  label = Narrow(buf, wcslen(buf));
  return true;
}

bool Win32FileSystem::DiskSpace(const std::string& root, uint64_t& total, uint64_t& totalFree) {
  ULARGE_INTEGER avail, t, f;
  if (!GetDiskFreeSpaceExW(Wide(root).c_str(), &avail, &t, &f)) return false;
  total = t.QuadPart;
  totalFree = f.QuadPart;
  return true;
}

void Win32FileSystem::SuppressCriticalErrorDialogs() { SetErrorMode(SEM_FAILCRITICALERRORS); }

// Under Wine (ntdll exports wine_get_version) a drive may be a link to the
// host's "/" (the default Z:): a scan there would walk the whole host and a
// clean delete across it. Wine's kernel32 names the host path of a root
// (wine_get_unix_file_name, a string on the process heap); a root whose host
// path is "/" is the host root. On Windows neither export exists: no drive is.
bool Win32FileSystem::IsHostRoot(const std::string& root) {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  if (!ntdll || !GetProcAddress(ntdll, "wine_get_version")) return false;
  using UnixNameFn = char*(CDECL*)(const wchar_t*);
  auto unixName = reinterpret_cast<UnixNameFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (!unixName) return false;
  char* host = unixName(Wide(root).c_str());
  if (!host) return false;
  std::string path = host;
  HeapFree(GetProcessHeap(), 0, host);
  while (!path.empty() && path.back() == '/') path.pop_back();
  // "/" itself, also when written "/." or "//".
  return path.empty() || path == "/.";
}

}  // namespace vl::sys
