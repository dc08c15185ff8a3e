// Window lookups, process control and screenshots for the GUI tests.
#include "tests/gui/gui_driver.h"

#include <fstream>
#include <iterator>

#include <commctrl.h>

#include <cstdio>
#include <cstring>

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
  return item ? TreeItemText(tree, item) : L"";
}

std::wstring TreeItemText(HWND tree, HTREEITEM item) {
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

namespace {
BOOL CALLBACK NeedsPaint(HWND h, LPARAM p) {
  if (IsWindowVisible(h) && GetUpdateRect(h, nullptr, FALSE)) {
    *reinterpret_cast<bool*>(p) = true;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

bool SaveScreenshot(HWND h, const std::wstring& bmpPath) {
  // A window changed from outside paints a moment later: wait for that, not for the pixels to be right.
  WaitFor(
      [&] {
        bool pending = GetUpdateRect(h, nullptr, FALSE) != FALSE;
        if (!pending) EnumChildWindows(h, NeedsPaint, reinterpret_cast<LPARAM>(&pending));
        return !pending;
      },
      3000);
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

std::wstring OwnFolder() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p = path;
  return p.substr(0, p.find_last_of(L"\\/") + 1);
}

std::wstring ShotsFolder() {
  wchar_t buf[MAX_PATH] = {};
  if (GetEnvironmentVariableW(L"VL_SHOTS", buf, MAX_PATH)) return std::wstring(buf) + L"\\";
  CreateDirectoryW(L"C:\\vlshots", nullptr);
  return L"C:\\vlshots\\";
}

namespace {

// `size` bytes in the process that owns `h`, filled from `in`; after `call`
// they are copied back into `out` (when given). False when any step failed.
bool RemoteCall(HWND h, const void* in, size_t size, void* out, const std::function<bool(void* remote)>& call) {
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  HANDLE proc = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!proc) return false;
  void* remote = VirtualAllocEx(proc, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
  bool ok = remote && WriteProcessMemory(proc, remote, in, size, nullptr) && call(remote) &&
            (!out || ReadProcessMemory(proc, remote, out, size, nullptr));
  if (remote) VirtualFreeEx(proc, remote, 0, MEM_RELEASE);
  CloseHandle(proc);
  return ok;
}

}  // namespace

bool SetListItemState(HWND list, int row, UINT mask, UINT state) {
  LVITEMW item{};
  item.stateMask = mask;
  item.state = state;
  return RemoteCall(list, &item, sizeof item, nullptr, [&](void* remote) {
    return SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(remote)) != 0;
  });
}

bool ListItemRect(HWND list, int row, RECT* r, int part) {
  RECT in{part, 0, 0, 0};
  return RemoteCall(list, &in, sizeof in, r, [&](void* remote) {
    return SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(remote)) != 0;
  });
}

bool ClickListRow(HWND list, int row, bool onImage) {
  SendMessageW(list, LVM_ENSUREVISIBLE, row, FALSE);
  RECT r{};
  if (!ListItemRect(list, row, &r, onImage ? LVIR_ICON : LVIR_BOUNDS)) return false;
  const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(list, WM_LBUTTONUP, 0, at);
  return true;
}

int ListItemImage(HWND list, int row) {
  LVITEMW item{};
  item.mask = LVIF_IMAGE;
  item.iItem = row;
  LVITEMW out{};
  if (!RemoteCall(list, &item, sizeof item, &out, [&](void* remote) {
        return SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote)) != 0;
      }))
    return -1;
  return out.iImage;
}

bool TreeItemRect(HWND tree, HTREEITEM item, bool textOnly, RECT* r) {
  // The rectangle goes in holding the item's handle.
  RECT in{};
  static_assert(sizeof(HTREEITEM) <= sizeof(RECT));
  memcpy(&in, &item, sizeof item);
  return RemoteCall(tree, &in, sizeof in, r, [&](void* remote) {
    return SendMessageW(tree, TVM_GETITEMRECT, textOnly, reinterpret_cast<LPARAM>(remote)) != 0;
  });
}

bool SetTreeItemState(HWND tree, HTREEITEM item, UINT mask, UINT state) {
  TVITEMW tv{};
  tv.mask = TVIF_STATE | TVIF_HANDLE;
  tv.hItem = item;
  tv.stateMask = mask;
  tv.state = state;
  return RemoteCall(tree, &tv, sizeof tv, nullptr, [&](void* remote) {
    return SendMessageW(tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(remote)) != 0;
  });
}

HTREEITEM TreeChild(HWND tree, HTREEITEM parent, int index) {
  auto item = reinterpret_cast<HTREEITEM>(
      SendMessageW(tree, TVM_GETNEXTITEM, parent ? TVGN_CHILD : TVGN_ROOT, reinterpret_cast<LPARAM>(parent)));
  for (int i = 0; i < index && item; ++i)
    item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
  return item;
}

int TreeStateImage(HWND tree, HTREEITEM item) {
  return static_cast<int>(
      (SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_STATEIMAGEMASK) & TVIS_STATEIMAGEMASK) >>
      12);
}

bool ClickTreeCheckBox(HWND tree, HTREEITEM item) {
  RECT text;
  if (!TreeItemRect(tree, item, true, &text)) return false;
  // The box lies left of the text, and left of the node's picture if it has one.
  const int y = (text.top + text.bottom) / 2;
  for (int x = text.left - 2; x > text.left - 64 && x >= 0; x -= 2) {
    TVHITTESTINFO hit{};
    hit.pt = {x, y};
    TVHITTESTINFO out{};
    if (!RemoteCall(tree, &hit, sizeof hit, &out, [&](void* remote) {
          SendMessageW(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(remote));
          return true;
        }))
      return false;
    if (out.hItem == item && (out.flags & TVHT_ONITEMSTATEICON)) {
      const LPARAM at = MAKELPARAM(x - 4, y);
      PostMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, at);
      PostMessageW(tree, WM_LBUTTONUP, 0, at);
      return true;
    }
  }
  return false;
}

}  // namespace vl::gui

namespace vl::gui {

bool WriteFileText(const std::wstring& path, const std::string& bytes) {
  std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
  out << bytes;
  return static_cast<bool>(out.flush());
}

std::string ReadFileText(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace vl::gui
