// The real file system: a file held open by the process that made it. It is
// opened sharing reads only, so Windows refuses every delete, rename and
// write by anyone else until the handle is closed.
#include <windows.h>

#include <algorithm>
#include <string>

#include "sysaccess/sys_error.h"
#include "sysaccess/win32/files_win32.h"
#include "sysaccess/win32/wide.h"

namespace vl::sys {

using win32::Wide;

namespace {

uint32_t LastError() {
  const DWORD e = GetLastError();
  return e ? e : err::kGenFailure;
}

bool WriteWhole(HANDLE f, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(data.size() - done, 1u << 24));
    DWORD n = 0;
    if (!WriteFile(f, data.data() + done, chunk, &n, nullptr) || n == 0) return false;
    done += n;
  }
  return true;
}

class Win32HeldFile : public HeldFile {
 public:
  explicit Win32HeldFile(HANDLE f) : f_(f) {}
  ~Win32HeldFile() override { CloseHandle(f_); }
  uint32_t Append(const std::string& data) override {
    LARGE_INTEGER zero;
    zero.QuadPart = 0;
    if (!SetFilePointerEx(f_, zero, nullptr, FILE_END) || !WriteWhole(f_, data) || !FlushFileBuffers(f_))
      return LastError();
    return err::kSuccess;
  }
  uint32_t Truncate(uint64_t size) override {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFilePointerEx(f_, at, nullptr, FILE_BEGIN) || !SetEndOfFile(f_) || !FlushFileBuffers(f_))
      return LastError();
    return err::kSuccess;
  }

 private:
  HANDLE f_;
};

}  // namespace

uint32_t Win32FileSystem::CreateHeldFile(const std::string& path, const std::string& data,
                                         std::unique_ptr<HeldFile>* out) {
  out->reset();
  // No DELETE access: readers (who share reads and writes, not deletes)
  // could not open a file whose handle holds it.
  const std::wstring w = Wide(path);
  HANDLE f = CreateFileW(w.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  if (f == INVALID_HANDLE_VALUE) return GetLastError();
  if (!WriteWhole(f, data) || !FlushFileBuffers(f)) {
    const uint32_t rc = LastError();
    CloseHandle(f);
    DeleteFileW(w.c_str());
    return rc;
  }
  *out = std::make_unique<Win32HeldFile>(f);
  return err::kSuccess;
}

}  // namespace vl::sys
