// Control IDs of the toolkit gallery (vl_ui_gallery.exe), shared with the GUI
// test that drives it from another process.
#pragma once

namespace vl::gallery {

inline constexpr wchar_t kWindowClass[] = L"VlGalleryWindow";

enum Id : int {
  panTitle = 100, labTitle,
  labTreeHead = 110, treeDemo, labTreeInfo,
  labEditHead = 120, edtName, labEditMirror, edtReadOnly,
  labRadioHead = 130, radSmall, radMedium, radLarge, radSlow, radFast, labRadioInfo,
  labCheckHead = 140, chklstDemo, labCheckInfo,
  labProgressHead = 150, pbarDemo, labProgressInfo, chkLongRange, imgStep,
  labIconHead = 160, lstvIcons, labIconInfo,
  labDialogHead = 170, imgOpenDialog, labDialogResult,
  // The modal dialog's own controls.
  labDlgPrompt = 200, edtDlgName, imgDlgOk, imgDlgCancel,
};

// Keys of the demo tree: a root, two groups and their leaves.
enum Node : long long {
  nodeComputer = 1,
  nodeBrowsers = 10, nodeCache, nodeCookies, nodeHistory,
  nodeWindows = 20, nodeRecent, nodeRun,
};

}  // namespace vl::gallery
