// vl_ui_gallery.exe: one of each control kind of the toolkit on a window
// built by the binder, and a modal dialog, for the GUI tests and for looking
// at the controls. Every handler mirrors what the model holds into a label,
// so a test in another process can see the model's answer.
#include <windows.h>
#include <commctrl.h>

#include <map>
#include <string>
#include <vector>

#include "ui/page_builder.h"
#include "ui/ui_model.h"
#include "ui/win32/binder.h"
#include "ui/win32/testing/ui_gallery_ids.h"
#include "ui/win32/win32_ports.h"
#include "ui/win32/win_util.h"

namespace vl::gallery {
namespace {

using ui::Kind;
namespace st = ui::style;

// The demo tree; checking a node checks its whole subtree.
class DemoTree : public ui::TreeSource {
 public:
  int ChildCount(ui::NodeKey parent) override {
    auto it = children_.find(parent);
    return it == children_.end() ? 0 : static_cast<int>(it->second.size());
  }
  ui::NodeKey ChildAt(ui::NodeKey parent, int index) override { return children_.at(parent).at(index); }
  std::string Text(ui::NodeKey node) override { return texts_.at(node); }
  bool Checked(ui::NodeKey node) override { return checked_[node]; }

  void SetSubtree(ui::NodeKey node, bool on) {
    checked_[node] = on;
    auto it = children_.find(node);
    if (it != children_.end())
      for (ui::NodeKey child : it->second) SetSubtree(child, on);
  }
  int CheckedCount() const {
    int n = 0;
    for (auto& [node, on] : checked_) n += on ? 1 : 0;
    return n;
  }
  int NodeCount() const { return static_cast<int>(texts_.size()); }

 private:
  std::map<ui::NodeKey, std::vector<ui::NodeKey>> children_{
      {ui::kTreeRoot, {nodeComputer}},
      {nodeComputer, {nodeBrowsers, nodeWindows}},
      {nodeBrowsers, {nodeCache, nodeCookies, nodeHistory}},
      {nodeWindows, {nodeRecent, nodeRun}},
  };
  std::map<ui::NodeKey, std::string> texts_{
      {nodeComputer, "My Computer"}, {nodeBrowsers, "Browsers"}, {nodeCache, "Cache"},
      {nodeCookies, "Cookies"},      {nodeHistory, "History"},   {nodeWindows, "Windows"},
      {nodeRecent, "Recent documents"}, {nodeRun, "Run history"},
  };
  std::map<ui::NodeKey, bool> checked_{{nodeCookies, true}};
};

class Gallery {
 public:
  explicit Gallery(UiPorts& ports) : ports_(ports) { Build(); BuildDialog(); }
  ui::Form& form() { return form_; }

 private:
  ui::Control& Heading(int id, const std::string& name, ui::Rect r, const std::string& text) {
    ui::Control& c = form_.Add(id, Kind::Label, name, 0, r, text);
    c.font = ui::FontStyle::Heading;
    c.color = st::kText;
    return c;
  }
  ui::Control& Info(int id, const std::string& name, ui::Rect r, const std::string& text = {}) {
    ui::Control& c = form_.Add(id, Kind::Label, name, 0, r, text);
    c.color = st::kMuted;
    return c;
  }
  ui::Control& Get(int id) { return form_.Get(id); }

  void Build() {
    ui::Control& top = form_.Add(panTitle, Kind::Panel, "panTitle", 0, {0, 0, 760, 56});
    top.background = st::kAccentDark;
    ui::Control& title = form_.Add(labTitle, Kind::Label, "labTitle", 0, {24, 14, 400, 28}, "Toolkit gallery");
    title.font = ui::FontStyle::Title;
    title.color = 0xFFFFFF;

    // Tree with check boxes.
    Heading(labTreeHead, "labTreeHead", {24, 72, 220, 22}, "Tree");
    ui::Control& tree = form_.Add(treeDemo, Kind::Tree, "treeDemo", 0, {24, 100, 220, 200});
    tree.treeSource = &tree_;
    tree.onNodeChecked = [this](ui::NodeKey node, bool on) {
      tree_.SetSubtree(node, on);
      ShowTreeInfo();
    };
    Info(labTreeInfo, "labTreeInfo", {24, 306, 220, 20});
    ShowTreeInfo();

    // Edit fields.
    Heading(labEditHead, "labEditHead", {268, 72, 220, 22}, "Edit");
    ui::Control& name = form_.Add(edtName, Kind::Edit, "edtName", 0, {268, 100, 220, 26});
    name.maxLength = 20;
    Info(labEditMirror, "labEditMirror", {268, 130, 220, 20}, "Typed: ");
    name.onChange = [this, &name] { Get(labEditMirror).SetText("Typed: " + name.text()); };
    ui::Control& fixed = form_.Add(edtReadOnly, Kind::Edit, "edtReadOnly", 0, {268, 158, 220, 26}, "Read only");
    fixed.readOnly = true;

    // Two radio groups.
    Heading(labRadioHead, "labRadioHead", {268, 196, 220, 22}, "Radio groups");
    const struct {
      int id;
      const char* name;
      const char* text;
      int group;
      ui::Rect r;
    } radios[] = {
        {radSmall, "radSmall", "Small", 1, {268, 222, 100, 22}},
        {radMedium, "radMedium", "Medium", 1, {268, 246, 100, 22}},
        {radLarge, "radLarge", "Large", 1, {268, 270, 100, 22}},
        {radSlow, "radSlow", "Slow", 2, {388, 222, 100, 22}},
        {radFast, "radFast", "Fast", 2, {388, 246, 100, 22}},
    };
    for (auto& r : radios) {
      ui::Control& c = form_.Add(r.id, Kind::Radio, r.name, 0, r.r, r.text);
      c.group = r.group;
      c.onClick = [this] { ShowRadioInfo(); };
    }
    Get(radMedium).SetChecked(true);
    Get(radFast).SetChecked(true);
    Info(labRadioInfo, "labRadioInfo", {268, 298, 220, 20});
    ShowRadioInfo();

    // Check list.
    Heading(labCheckHead, "labCheckHead", {512, 72, 224, 22}, "Check list");
    ui::Control& list = form_.Add(chklstDemo, Kind::CheckList, "chklstDemo", 0, {512, 100, 224, 84});
    list.checkItems = {"Alpha", "Beta", "Gamma"};
    list.itemChecked = {true, false, false};
    list.onItemClick = [this](int) { ShowCheckInfo(); };
    Info(labCheckInfo, "labCheckInfo", {512, 188, 224, 20});
    ShowCheckInfo();

    // Progress bar with its range switch.
    Heading(labProgressHead, "labProgressHead", {512, 216, 224, 22}, "Progress");
    ui::Control& bar = form_.Add(pbarDemo, Kind::Progress, "pbarDemo", 0, {512, 246, 224, 10});
    bar.SetPosition(40);
    Info(labProgressInfo, "labProgressInfo", {512, 260, 224, 20});
    ui::Control& longRange = form_.Add(chkLongRange, Kind::CheckBox, "chkLongRange", 0, {512, 286, 110, 24},
                                       "Long range");
    longRange.onClick = [this, &bar, &longRange] {
      bar.SetMaximum(longRange.checked() ? 1000 : 100);
      ShowProgressInfo();
    };
    ui::Control& step = form_.Add(imgStep, Kind::ImageButton, "imgStep", 0, {640, 282, 96, 32}, "Step");
    step.onClick = [this, &bar] {
      bar.SetPosition(bar.position() + 10);
      ShowProgressInfo();
    };
    ShowProgressInfo();

    // Large-icon list.
    Heading(labIconHead, "labIconHead", {24, 340, 464, 22}, "Icon list");
    ui::Control& icons = form_.Add(lstvIcons, Kind::IconList, "lstvIcons", 0, {24, 366, 464, 104});
    icons.items = {{"Scan", ui::Picture::Scan}, {"Repair", ui::Picture::Repair}, {"Backup", ui::Picture::Backup}};
    Info(labIconInfo, "labIconInfo", {24, 474, 464, 20}, "Clicked: none");
    icons.onItemClick = [this, &icons](int row) {
      if (row >= 0 && row < static_cast<int>(icons.items.size()))
        Get(labIconInfo).SetText("Clicked: " + icons.items[row].caption);
    };

    // Modal dialog.
    Heading(labDialogHead, "labDialogHead", {512, 340, 224, 22}, "Dialog");
    ui::Control& open = form_.Add(imgOpenDialog, Kind::ImageButton, "imgOpenDialog", 0, {512, 366, 160, 36},
                                  "Open dialog");
    open.SetPicture(ui::Picture::Add);
    Info(labDialogResult, "labDialogResult", {512, 410, 224, 40}, "Dialog: not shown yet");
    open.onClick = [this] { OpenDialog(); };
  }

  void BuildDialog() {
    ui::Control& prompt = dialog_.Add(labDlgPrompt, Kind::Label, "labDlgPrompt", 0, {20, 18, 320, 20},
                                      "Enter a name for the new item:");
    prompt.color = st::kText;
    ui::Control& name = dialog_.Add(edtDlgName, Kind::Edit, "edtDlgName", 0, {20, 44, 320, 26});
    name.maxLength = 40;
    ui::Control& ok = dialog_.Add(imgDlgOk, Kind::ImageButton, "imgDlgOk", 0, {132, 108, 100, 34}, "OK");
    ok.SetHighlighted(true);  // the filled look of the main action
    ui::Control& cancel = dialog_.Add(imgDlgCancel, Kind::ImageButton, "imgDlgCancel", 0, {240, 108, 100, 34},
                                      "Cancel");
    // OK only with a name, as the junk type dialog does.
    name.onChange = [&name, &ok] { ok.SetEnabled(name.text().find_first_not_of(' ') != std::string::npos); };
    ok.onClick = [this] { dialog_.EndModal(ui::kModalOk); };
    cancel.onClick = [this] { dialog_.EndModal(ui::kModalCancel); };
  }

  void OpenDialog() {
    ui::Control& name = dialog_.Get(edtDlgName);
    name.SetText("");
    dialog_.Get(imgDlgOk).SetEnabled(false);
    int result = ports_.ShowModalForm(dialog_);
    Get(labDialogResult)
        .SetText(result == ui::kModalOk ? "Dialog: OK, name \"" + name.text() + "\"" : "Dialog: Cancel");
  }

  void ShowTreeInfo() {
    Get(labTreeInfo).SetText(std::to_string(tree_.CheckedCount()) + " of " + std::to_string(tree_.NodeCount()) +
                             " checked");
  }
  void ShowRadioInfo() {
    std::string size, speed;
    for (int id : {radSmall, radMedium, radLarge})
      if (Get(id).checked()) size = Get(id).text();
    for (int id : {radSlow, radFast})
      if (Get(id).checked()) speed = Get(id).text();
    Get(labRadioInfo).SetText("Size: " + size + ", speed: " + speed);
  }
  void ShowCheckInfo() {
    ui::Control& list = Get(chklstDemo);
    std::string text;
    for (size_t i = 0; i < list.checkItems.size(); ++i)
      if (list.itemChecked[i]) text += (text.empty() ? "" : ", ") + list.checkItems[i];
    Get(labCheckInfo).SetText("Checked: " + (text.empty() ? std::string("none") : text));
  }
  void ShowProgressInfo() {
    ui::Control& bar = Get(pbarDemo);
    Get(labProgressInfo).SetText(std::to_string(bar.position()) + " of " + std::to_string(bar.maximum()));
  }

  UiPorts& ports_;
  DemoTree tree_;
  ui::Form form_{"Toolkit gallery", 760, 510};
  ui::Form dialog_{"New item", 360, 160};
};

struct Window {
  Gallery* gallery;
  win::Binder* binder;
};

LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  auto* w = reinterpret_cast<Window*>(GetWindowLongPtrW(h, GWLP_USERDATA));
  if (msg == WM_NCCREATE) {
    w = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(w));
  }
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  LRESULT result = 0;
  if (w && w->binder && w->binder->Route(h, msg, wp, lp, &result)) return result;
  return DefWindowProcW(h, msg, wp, lp);
}

}  // namespace
}  // namespace vl::gallery

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  using namespace vl;
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS |
                                            ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
  win::Binder::RegisterClasses(instance);
  win::Win32Ports ports(instance);
  gallery::Gallery g(ports);

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = gallery::Proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = gallery::kWindowClass;
  RegisterClassExW(&wc);

  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  RECT frame{0, 0, g.form().width(), g.form().height()};
  AdjustWindowRectEx(&frame, style, FALSE, WS_EX_CONTROLPARENT);
  gallery::Window w{&g, nullptr};
  HWND hwnd = CreateWindowExW(WS_EX_CONTROLPARENT, gallery::kWindowClass, win::W(g.form().title()).c_str(), style,
                              40, 40, frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                              instance, &w);
  win::Binder binder(g.form(), [&ports](const std::function<void()>& f) {
    try {
      f();
    } catch (const std::exception& e) {
      ports.ShowMessage(e.what(), "Error", MsgButtons::Ok, MsgIcon::Error);
    }
  });
  binder.Build(hwnd, 0, 0);
  w.binder = &binder;
  ports.SetMainWindow(hwnd);
  ShowWindow(hwnd, SW_SHOWNORMAL);
  UpdateWindow(hwnd);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  w.binder = nullptr;
  return 0;
}
