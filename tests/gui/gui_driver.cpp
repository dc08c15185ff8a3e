// Window lookups, process control and screenshots for the GUI tests.
#include "tests/gui/gui_driver.h"

#include <commctrl.h>

#include <cstdio>

namespace vl::gui {

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    if (done()) return true;
    if (static_cast<int>(GetTickCount() - start) > timeoutMs) return false;
    Sleep(50);
  }
}

namespace {
struct Search {
  int id;
  std::wstring text;
  HWND found = nullptr;
};

BOOL CALLBACK MatchId(HWND h, LPARAM p) {
  auto* s = reinterpret_cast<Search*>(p);
  if (GetDlgCtrlID(h) != s->id) return TRUE;
  s->found = h;
  return FALSE;
}

BOOL CALLBACK MatchText(HWND h, LPARAM p) {
  auto* s = reinterpret_cast<Search*>(p);
  if (TextOf(h) != s->text) return TRUE;
  s->found = h;
  return FALSE;
}

struct TopSearch {
  std::wstring cls;
  DWORD pid;
  std::vector<HWND> found;
};

BOOL CALLBACK MatchTop(HWND h, LPARAM p) {
  auto* c = reinterpret_cast<TopSearch*>(p);
  wchar_t name[128] = {};
  GetClassNameW(h, name, 128);
  DWORD owner = 0;
  GetWindowThreadProcessId(h, &owner);
  if (c->cls == name && (c->pid == 0 || c->pid == owner)) c->found.push_back(h);
  return TRUE;
}
}  // namespace

HWND FindById(HWND top, int id) {
  Search s{id, {}};
  EnumChildWindows(top, MatchId, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND FindByText(HWND top, const std::wstring& text) {
  Search s{0, text};
  EnumChildWindows(top, MatchText, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

std::wstring TextOf(HWND h) {
  // WM_GETTEXT crosses processes; GetWindowText would not for other processes' controls.
  LRESULT n = SendMessageW(h, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  SendMessageW(h, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(n));
  return text;
}

std::vector<HWND> TopWindows(const std::wstring& cls, DWORD pid) {
  TopSearch ctx{cls, pid, {}};
  EnumWindows(MatchTop, reinterpret_cast<LPARAM>(&ctx));
  return ctx.found;
}

Process Start(const std::wstring& exe) {
  std::wstring cmd = L"\"" + exe + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  Process p;
  if (CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    CloseHandle(pi.hThread);
    p.handle = pi.hProcess;
    p.pid = pi.dwProcessId;
  }
  return p;
}

long WaitExit(const Process& p, int timeoutMs) {
  if (!p.handle || WaitForSingleObject(p.handle, timeoutMs) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(p.handle, &code);
  return static_cast<long>(code);
}

int ListRowCount(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

std::wstring ListCellText(HWND list, int row, int col) {
  // The item structure and its text buffer must live in the list's own process.
  DWORD pid = 0;
  GetWindowThreadProcessId(list, &pid);
  HANDLE proc = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!proc) return L"";
  const int chars = 1024;
  auto* remote = static_cast<char*>(
      VirtualAllocEx(proc, nullptr, sizeof(LVITEMW) + chars * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE));
  std::wstring text;
  if (remote) {
    LVITEMW item{};
    item.iSubItem = col;
    item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(LVITEMW));
    item.cchTextMax = chars;
    WriteProcessMemory(proc, remote, &item, sizeof(item), nullptr);
    LRESULT n = SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remote));
    std::wstring buf(chars, L'\0');
    ReadProcessMemory(proc, remote + sizeof(LVITEMW), buf.data(), chars * sizeof(wchar_t), nullptr);
    text = buf.substr(0, static_cast<size_t>(n));
    VirtualFreeEx(proc, remote, 0, MEM_RELEASE);
  }
  CloseHandle(proc);
  return text;
}

namespace {
BOOL CALLBACK MatchClass(HWND h, LPARAM p) {
  auto* s = reinterpret_cast<Search*>(p);
  wchar_t name[128] = {};
  GetClassNameW(h, name, 128);
  if (s->text != name) return TRUE;
  s->found = h;
  return FALSE;
}
}  // namespace

HWND FindChildOfClass(HWND top, const std::wstring& cls) {
  Search s{0, cls};
  EnumChildWindows(top, MatchClass, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

std::wstring TreeSelectionText(HWND tree) {
  auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (!item) return L"";
  DWORD pid = 0;
  GetWindowThreadProcessId(tree, &pid);
  HANDLE proc = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!proc) return L"";
  const int chars = 512;
  auto* remote = static_cast<char*>(
      VirtualAllocEx(proc, nullptr, sizeof(TVITEMW) + chars * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE));
  std::wstring text;
  if (remote) {
    TVITEMW tv{};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(TVITEMW));
    tv.cchTextMax = chars;
    WriteProcessMemory(proc, remote, &tv, sizeof tv, nullptr);
    if (SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote))) {
      std::wstring buf(chars, L'\0');
      ReadProcessMemory(proc, remote + sizeof(TVITEMW), buf.data(), chars * sizeof(wchar_t), nullptr);
      text = buf.c_str();
    }
    VirtualFreeEx(proc, remote, 0, MEM_RELEASE);
  }
  CloseHandle(proc);
  return text;
}

bool SaveScreenshot(HWND h, const std::wstring& bmpPath) {
  RECT r;
  if (!GetWindowRect(h, &r)) return false;
  int w = r.right - r.left, ht = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = ht;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, ht, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  int stride = ((w * 3 + 3) / 4) * 4;
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof(fh) + sizeof(bi.bmiHeader);
  fh.bfSize = fh.bfOffBits + stride * ht;
  bool ok = false;
  if (FILE* f = _wfopen(bmpPath.c_str(), L"wb")) {
    ok = fwrite(&fh, sizeof(fh), 1, f) == 1 && fwrite(&bi.bmiHeader, sizeof(bi.bmiHeader), 1, f) == 1 &&
         fwrite(bits, stride * ht, 1, f) == 1;
    fclose(f);
  }
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return ok;
}

}  // namespace vl::gui
