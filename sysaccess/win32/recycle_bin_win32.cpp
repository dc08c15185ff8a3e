// The recycle bin through the shell: IFileOperation with a progress sink
// that refuses any delete the shell would not recycle, and SHFileOperationW
// where the shell has no usable IFileOperation (Wine 8), with the file made
// read-only for the call so that a delete for good is refused by the file
// system. Either way a file the bin cannot take stays where it is.
#include <windows.h>
#include <shellapi.h>
#include <shobjidl.h>

#include "sysaccess/full_path_check.h"
#include "sysaccess/sys_error.h"
#include "sysaccess/text.h"
#include "sysaccess/win32/file_values.h"
#include "sysaccess/win32/files_win32_handles.h"
#include "sysaccess/win32/shell_win32.h"
#include "sysaccess/win32/wide.h"

namespace vl::sys {

namespace {

// Says no to the first delete that would not go to the bin; everything else
// passes.
class RecycleOnlySink : public IFileOperationProgressSink {
 public:
  bool refused = false;
  HRESULT deleteResult = S_OK;
  bool recycled = false;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (riid == IID_IUnknown || riid == IID_IFileOperationProgressSink) {
      *out = static_cast<IFileOperationProgressSink*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  // Lives on the caller's stack for the length of the operation.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE PreDeleteItem(DWORD flags, IShellItem*) override {
    if (flags & TSF_DELETE_RECYCLE_IF_POSSIBLE) return S_OK;
    refused = true;
    return HRESULT_FROM_WIN32(ERROR_CANCELLED);
  }
  HRESULT STDMETHODCALLTYPE PostDeleteItem(DWORD, IShellItem*, HRESULT hr, IShellItem* inBin) override {
    deleteResult = hr;
    recycled = SUCCEEDED(hr) && inBin != nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE StartOperations() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE FinishOperations(HRESULT) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE PreRenameItem(DWORD, IShellItem*, LPCWSTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE PostRenameItem(DWORD, IShellItem*, LPCWSTR, HRESULT, IShellItem*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE PreMoveItem(DWORD, IShellItem*, IShellItem*, LPCWSTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE PostMoveItem(DWORD, IShellItem*, IShellItem*, LPCWSTR, HRESULT, IShellItem*) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE PreCopyItem(DWORD, IShellItem*, IShellItem*, LPCWSTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE PostCopyItem(DWORD, IShellItem*, IShellItem*, LPCWSTR, HRESULT, IShellItem*) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE PreNewItem(DWORD, IShellItem*, LPCWSTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE PostNewItem(DWORD, IShellItem*, LPCWSTR, LPCWSTR, DWORD, HRESULT, IShellItem*) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE UpdateProgress(UINT, UINT) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE ResetTimer() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE PauseTimer() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE ResumeTimer() override { return S_OK; }
};

template <class T>
struct ComPtr {
  T* p = nullptr;
  ~ComPtr() {
    if (p) p->Release();
  }
};

struct ComScope {
  bool owned;
  ComScope() : owned(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
  ~ComScope() {
    if (owned) CoUninitialize();
  }
};

uint32_t ErrorOf(HRESULT hr) {
  if (HRESULT_FACILITY(hr) == FACILITY_WIN32) return HRESULT_CODE(hr);
  return hr == E_ABORT ? err::kCancelled : err::kGenFailure;
}

// The shell's IFileOperation: 0, an error, or E_NOTIMPL in `notHere` when this
// shell cannot delete with it.
uint32_t RecycleWithFileOperation(const std::string& path, const SeenEntry& seen, bool& notHere) {
  notHere = false;
  ComPtr<IFileOperation> op;
  if (FAILED(CoCreateInstance(CLSID_FileOperation, nullptr, CLSCTX_ALL, IID_IFileOperation,
                              reinterpret_cast<void**>(&op.p)))) {
    notHere = true;
    return 0;
  }
  // No UI, no questions, and never the page's folder along with the page.
  const DWORD flags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT | FOF_NO_CONNECTED_ELEMENTS;
  if (FAILED(op.p->SetOperationFlags(flags | FOFX_RECYCLEONDELETE | FOFX_EARLYFAILURE)) &&
      FAILED(op.p->SetOperationFlags(flags | FOFX_EARLYFAILURE))) {  // before Windows 8
    notHere = true;
    return 0;
  }
  ComPtr<IShellItem> item;
  HRESULT hr = SHCreateItemFromParsingName(win32::Wide(path).c_str(), nullptr, IID_IShellItem,
                                           reinterpret_cast<void**>(&item.p));
  if (FAILED(hr)) return ErrorOf(hr);
  RecycleOnlySink sink;
  DWORD cookie = 0;
  hr = op.p->Advise(&sink, &cookie);
  if (hr == E_NOTIMPL) {
    notHere = true;
    return 0;
  }
  if (FAILED(hr)) return ErrorOf(hr);
  hr = op.p->DeleteItem(item.p, nullptr);
  if (hr == E_NOTIMPL) {
    notHere = true;
    return 0;
  }
  if (FAILED(hr)) return ErrorOf(hr);
  // Checked right before the call and held through it: the shell moves the
  // file by path, so neither it nor a folder on its way may be swapped.
  std::unique_ptr<EntryHold> hold;
  if (uint32_t rc = win32::HoldChecked(path, seen, true, hold)) return rc;
  hr = op.p->PerformOperations();
  if (hr == E_NOTIMPL) {
    notHere = true;
    return 0;
  }
  op.p->Unadvise(cookie);
  if (sink.refused) return err::kCannotRecycle;
  // The checked file itself must have gone; if it is still in its place the
  // shell took whatever was put at its path meanwhile.
  auto* held = static_cast<win32::Win32Hold*>(hold.get());
  if (SUCCEEDED(hr) && sink.recycled && win32::StillAt(held->entry(), path)) return err::kFileChanged;
  // Windows follows the held file to its new name: outside the bin means the
  // file was renamed away during the call and something else went.
  const std::string now = AsciiLower(win32::FinalPath(held->entry()));
  if (SUCCEEDED(hr) && sink.recycled && !now.empty() && now.find("\\$recycle.bin\\") == std::string::npos)
    return err::kFileChanged;
  if (FAILED(sink.deleteResult)) return ErrorOf(sink.deleteResult);
  if (FAILED(hr)) return ErrorOf(hr);
  BOOL aborted = FALSE;
  op.p->GetAnyOperationsAborted(&aborted);
  if (aborted) return err::kCancelled;
  return sink.recycled ? 0 : err::kCannotRecycle;
}

// SHFileOperationW deletes for good what its bin refuses when told not to
// ask. Its move into the bin opens the file for delete, so the hold shares
// delete with it; but the file is made read-only through the held handle for
// the call: a rename takes a read-only file, a delete refuses it, so what
// the bin does not take stays. The attributes are put back through the same
// handle afterwards, wherever the file now is.
uint32_t RecycleWithFileOp(const std::string& path, const SeenEntry& seen) {
  std::unique_ptr<EntryHold> hold;
  if (uint32_t rc = win32::HoldChecked(path, seen, true, hold)) return rc;
  auto* held = static_cast<win32::Win32Hold*>(hold.get());
  const DWORD attributes = held->attributes;
  const bool guard = !(attributes & FILE_ATTRIBUTE_READONLY);
  // Without the guard the shell could destroy the file: refuse instead.
  if (guard && win32::SetAttributesOf(held->entry(), attributes | FILE_ATTRIBUTE_READONLY) != 0)
    return err::kCannotRecycle;
  std::wstring from = win32::Wide(path);
  from.push_back(L'\0');  // a list of one name: the string's own NUL ends the list
  SHFILEOPSTRUCTW op = {};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT | FOF_NO_CONNECTED_ELEMENTS;
  const int r = SHFileOperationW(&op);
  if (guard) win32::SetAttributesOf(held->entry(), attributes);
  const bool stillThere = win32::StillAt(held->entry(), path);
  hold.reset();
  // Still in its place: the bin did not take it (and the delete for good was
  // refused), or the shell took whatever was put at its path meanwhile.
  if (stillThere) return r == 0 ? err::kFileChanged : err::kCannotRecycle;
  if (r != 0) return static_cast<uint32_t>(r);
  return op.fAnyOperationsAborted ? err::kCancelled : 0;
}

}  // namespace

uint32_t Win32Shell::SendToRecycleBin(const std::string& path) {
  if (!IsFullEntryPath(path)) return err::kInvalidName;
  WIN32_FILE_ATTRIBUTE_DATA d;
  if (!GetFileAttributesExW(win32::Wide(path).c_str(), GetFileExInfoStandard, &d)) {
    DWORD e = GetLastError();
    return e ? e : err::kFileNotFound;
  }
  FileEntry e;
  e.attributes = d.dwFileAttributes;
  e.size = win32::Join(d.nFileSizeHigh, d.nFileSizeLow);
  e.lastWriteTime = win32::Time(d.ftLastWriteTime);
  return RecycleSeen(path, SeenEntry::Of(e));
}

uint32_t Win32Shell::RecycleSeen(const std::string& path, const SeenEntry& seen) {
  // The operation expands wildcards and resolves relative names against the
  // current folder: only a full path of one entry goes in.
  if (!IsFullEntryPath(path)) return err::kInvalidName;
  // Only local fixed drives have a bin: network, removable and other drives
  // would see the file deleted for good.
  if (path.rfind("\\\\", 0) == 0) return err::kCannotRecycle;
  if (GetDriveTypeW(win32::Wide(path.substr(0, 3)).c_str()) != DRIVE_FIXED) return err::kCannotRecycle;
  ComScope com;
  bool notHere = false;
  uint32_t rc = RecycleWithFileOperation(path, seen, notHere);
  if (!notHere) return rc;
  return RecycleWithFileOp(path, seen);
}

}  // namespace vl::sys
