// Shell primitives on shell32, ole32 and version.dll.
#include "sysaccess/win32/shell_win32.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <vector>

#include "sysaccess/win32/version_calls.h"
#include "sysaccess/win32/wide.h"

namespace vl::sys {

using win32::Narrow;
using win32::Wide;

namespace {

std::string FromBuffer(const wchar_t* buf) { return Narrow(buf, wcsnlen(buf, MAX_PATH)); }

std::string PathOfIdList(LPCITEMIDLIST pidl) {
  wchar_t buf[MAX_PATH + 1] = {0};
  if (!SHGetPathFromIDListW(pidl, buf)) return "";
  return FromBuffer(buf);
}

void FreeIdList(LPITEMIDLIST pidl) {
  IMalloc* m = nullptr;
  if (SUCCEEDED(SHGetMalloc(&m)) && m) {
    m->Free(pidl);
    m->Release();
  }
}

int CALLBACK BrowseCallback(HWND wnd, UINT msg, LPARAM, LPARAM data) {
  if (msg == BFFM_INITIALIZED && data) SendMessageW(wnd, BFFM_SETSELECTIONW, TRUE, data);
  return 0;
}

template <class T>
void Release(T*& p) {
  if (p) p->Release();
  p = nullptr;
}

}  // namespace

std::string Win32Shell::FolderByCsidl(int csidl) {
  LPITEMIDLIST pidl = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &pidl)) || !pidl) return "";
  std::string path = PathOfIdList(pidl);
  FreeIdList(pidl);
  return path;
}

bool Win32Shell::LoadShortcut(const std::string& path, TLinkInfo& info) {
  std::wstring file = Wide(path);
  if (file.size() >= MAX_PATH) return false;
  // COM for this call only, on whatever thread asks.
  HRESULT init = CoInitialize(nullptr);
  IShellLinkW* link = nullptr;
  IPersistFile* persist = nullptr;
  bool ok = false;
  TLinkInfo out;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&link))) &&
      SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist))) &&
      SUCCEEDED(persist->Load(file.c_str(), STGM_READ))) {
    wchar_t buf[MAX_PATH + 1] = {0};
    LPITEMIDLIST pidl = nullptr;
    int iconIndex = 0, show = 0;
    WORD hotKey = 0;
    std::string icon;
    ok = true;
    // GetPath reports S_FALSE for a link without a path; that is not an error.
    ok = ok && SUCCEEDED(link->GetPath(buf, MAX_PATH, nullptr, SLGP_UNCPRIORITY));
    out.path = FromBuffer(buf);
    ok = ok && SUCCEEDED(link->GetIDList(&pidl));
    out.hasItemList = pidl != nullptr;
    if (pidl) FreeIdList(pidl);
    buf[0] = 0;
    ok = ok && SUCCEEDED(link->GetDescription(buf, MAX_PATH));
    out.description = FromBuffer(buf);
    buf[0] = 0;
    ok = ok && SUCCEEDED(link->GetWorkingDirectory(buf, MAX_PATH));
    out.workingFolder = FromBuffer(buf);
    buf[0] = 0;
    ok = ok && SUCCEEDED(link->GetArguments(buf, MAX_PATH));
    out.arguments = FromBuffer(buf);
    buf[0] = 0;
    ok = ok && SUCCEEDED(link->GetIconLocation(buf, MAX_PATH, &iconIndex));
    icon = FromBuffer(buf);
    ok = ok && SUCCEEDED(link->GetHotkey(&hotKey));
    ok = ok && SUCCEEDED(link->GetShowCmd(&show));
    out.iconPath = icon.empty() ? out.path : icon;
    out.iconIndex = iconIndex;
    out.hotKey = hotKey;
    out.showMode = (show == SW_SHOWMINIMIZED || show == SW_SHOWMINNOACTIVE) ? 1 : (show == SW_SHOWMAXIMIZED ? 2 : 0);
  }
  Release(persist);
  Release(link);
  if (SUCCEEDED(init)) CoUninitialize();
  if (!ok || !out.hasItemList) return false;
  info = out;
  return true;
}

std::string Win32Shell::BrowseForFolder(const std::string& startFolder, const std::string& title) {
  std::wstring start = Wide(startFolder), caption = Wide(title);
  wchar_t display[MAX_PATH + 1] = {0};
  BROWSEINFOW bi = {};
  bi.hwndOwner = GetActiveWindow();
  bi.pszDisplayName = display;
  bi.lpszTitle = caption.c_str();
  bi.ulFlags = BIF_RETURNONLYFSDIRS;
  bi.lpfn = BrowseCallback;
  bi.lParam = start.empty() ? 0 : reinterpret_cast<LPARAM>(start.c_str());
  LPITEMIDLIST pidl = SHBrowseForFolderW(&bi);
  if (!pidl) return "";
  std::string path = PathOfIdList(pidl);
  FreeIdList(pidl);
  return path;
}

std::string Win32Shell::FileVersion(const std::string& path) {
  std::wstring file = Wide(path);
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeW(file.c_str(), &handle);
  if (size == 0) return "";
  std::vector<BYTE> block(size);
  if (!GetFileVersionInfoW(file.c_str(), 0, size, block.data())) return "";
  void* value = nullptr;
  UINT len = 0;
  if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &len) || len < 4) return "";
  const WORD* tr = static_cast<const WORD*>(value);
  wchar_t query[64];
  swprintf(query, 64, L"\\StringFileInfo\\%04X%04X\\FileVersion", tr[0], tr[1]);
  if (!VerQueryValueW(block.data(), query, &value, &len) || !value) return "";
  const wchar_t* text = static_cast<const wchar_t*>(value);
  return Narrow(text, wcsnlen(text, len));
}

namespace {
BOOL CALLBACK FindTree(HWND h, LPARAM out) {
  wchar_t cls[32] = {0};
  GetClassNameW(h, cls, 32);
  if (lstrcmpW(cls, L"SysTreeView32") != 0) return TRUE;
  *reinterpret_cast<HWND*>(out) = h;
  return FALSE;
}

// The editor's key tree: a direct child on Windows, deeper in some versions.
HWND EditorTree(HWND editor) {
  HWND tree = FindWindowExW(editor, nullptr, L"SysTreeView32", nullptr);
  if (!tree) EnumChildWindows(editor, FindTree, reinterpret_cast<LPARAM>(&tree));
  return tree;
}
}  // namespace

void Win32Shell::ShowKeyInRegistryEditor(const std::string& keyText) {
  HWND editor = FindWindowW(L"RegEdit_RegEdit", nullptr);
  if (!editor) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpVerb = L"open";
    info.lpFile = L"regedit.exe";
    info.nShow = SW_SHOWNORMAL;
    if (ShellExecuteExW(&info) && info.hProcess) {
      WaitForInputIdle(info.hProcess, 200);
      CloseHandle(info.hProcess);
    }
    // A freshly started editor may need a moment more to make its window.
    for (int i = 0; i < 40 && !(editor = FindWindowW(L"RegEdit_RegEdit", nullptr)); ++i) Sleep(50);
  }
  if (!editor) return;
  ShowWindow(editor, SW_SHOWNORMAL);
  HWND tree = EditorTree(editor);
  for (int i = 0; i < 40 && !tree; ++i) {
    Sleep(50);
    tree = EditorTree(editor);
  }
  if (!tree) return;
  SetForegroundWindow(tree);
  // Collapse to the top of the tree, open it, then type the path: a backslash
  // opens the node reached so far, other characters drive the tree's search.
  for (int i = 0; i < 30; ++i) SendMessageW(tree, WM_KEYDOWN, VK_LEFT, 0);
  SendMessageW(tree, WM_KEYDOWN, VK_RIGHT, 0);
  for (wchar_t c : Wide(keyText)) {
    if (c == L'\\')
      SendMessageW(tree, WM_KEYDOWN, VK_RIGHT, 0);
    else
      SendMessageW(tree, WM_CHAR, c, 0);
  }
}

}  // namespace vl::sys
