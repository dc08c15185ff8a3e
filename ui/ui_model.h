// The window as data: every control of a window is a small object holding
// its state. Handlers change this model; the Win32 binder (ui/win32)
// mirrors it into real child windows, and native tests read it directly.
// Nothing here knows about Win32.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vl::ui {

struct Rect {
  int x = 0, y = 0, w = 0, h = 0;
};

// 0xRRGGBB; kNoColor means "the default of the control".
using Color = uint32_t;
inline constexpr Color kNoColor = 0xFFFFFFFFu;

enum class Kind {
  Panel,        // a painted area (title strip, navigation bar); may be disabled as a whole
  Label,        // static text; clickable when it has a click handler
  ImageButton,  // picture button; its text is the accessible name ("Scan", "Back" ...)
  CheckBox,
  Radio,
  ListView,     // virtual report list: row count + row provider
  IconList,     // large-icon list of a few fixed items (optimizer, options)
  CheckList,    // list of captions with check boxes
  Progress,
  Tree,         // tree with check boxes, pulled from a TreeSource
  Edit,         // one line of text the user types
};

enum class FontStyle { Normal, Bold, Title, Heading, Small, Link };

// One picture from our own set, drawn by the binder. Buttons that swap
// pictures (navigation highlight, hover) change `picture`.
enum class Picture {
  None,
  NavStatus, NavCleanup, NavOptimize, NavBackup, NavOptions,
  Close, Minimize, Logo,
  RegistryCleaner, JunkCleaner, EvidenceCleaner,
  Scan, Stop, Repair, Export, Back, Save, Restore, Delete, OneClick, Network, DiskCache,
  Desktop, FileSystem, Startup, Settings, IgnoreList, CheckUpdate, Report, Backup, Add, Edit,
  Drive, Browser,
};

struct Cell {
  std::string text;
  Color color = kNoColor;
  Color background = kNoColor;
  bool bold = false;
  int image = -1;   // check image: 0 unchecked, 1 checked, -1 none
  int indent = 0;
};

enum class Align { Left, Right, Center };

struct Column {
  std::string caption;
  int width = 100;
  Align align = Align::Left;
  // Text too long for the column loses its middle, not its end: for paths
  // whose last part tells the rows apart (not for the first column).
  bool pathEllipsis = false;
};

struct IconItem {
  std::string caption;
  Picture picture = Picture::None;
};

// Nodes of a tree are named by keys their source chooses; kTreeRoot is the
// invisible root whose children are the top-level nodes.
using NodeKey = int64_t;
inline constexpr NodeKey kTreeRoot = -1;

// Where a tree control takes its nodes from. The control asks again after
// Control::TreeChanged(); a source never hands out kTreeRoot as a node.
class TreeSource {
 public:
  virtual ~TreeSource() = default;
  virtual int ChildCount(NodeKey parent) = 0;
  virtual NodeKey ChildAt(NodeKey parent, int index) = 0;
  virtual std::string Text(NodeKey node) = 0;
  virtual bool Checked(NodeKey node) = 0;
  // The node's picture: an index into the control's treePictures; -1 none.
  virtual int Image(NodeKey) { return -1; }
};

// What a modal form ended with (Form::EndModal); Esc and the close box give kModalCancel.
enum ModalResult : int { kModalNone = 0, kModalOk = 1, kModalCancel = 2 };

class Form;

class Control {
 public:
  Control(Form& form, int id, Kind kind, std::string name, int sheet, Rect rect);
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const int id;
  const Kind kind;
  const std::string name;
  const int sheet;  // tab sheet the control lives on; 0 = always present
  Rect rect;

  const std::string& text() const { return text_; }
  void SetText(const std::string& text);
  bool visible() const { return visible_; }
  void SetVisible(bool visible);
  bool enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  bool checked() const { return checked_; }
  // A radio that becomes checked unchecks the other radios of its group.
  void SetChecked(bool checked);
  // What a click of the user does: a check box toggles, a radio becomes
  // checked; then onClick runs. For tests and scripted forms.
  void Click();
  Picture picture() const { return picture_; }
  void SetPicture(Picture picture);
  // Navigation buttons: the highlighted picture of the current page.
  bool highlighted() const { return highlighted_; }
  void SetHighlighted(bool on);
  bool hovered() const { return hovered_; }
  void SetHovered(bool on);

  // Looks; set while building the page, not changed later.
  FontStyle font = FontStyle::Normal;
  Color color = kNoColor;       // text colour
  Color background = kNoColor;  // fill; kNoColor = the sheet's
  bool centered = false;
  bool underlineOnHover = false;  // cleaner names on the cleanup page
  bool dragsWindow = false;       // the title strip moves the borderless window

  // Events (main thread).
  std::function<void()> onClick;

  // ListView.
  std::vector<Column> columns;
  void ColumnsChanged();  // captions or widths of `columns` changed
  std::function<Cell(int row, int col)> rowProvider;
  int rowCount() const { return rowCount_; }
  void SetRowCount(int rows);  // also repaints
  void Repaint();
  // Gives this control the keyboard focus (the form remembers which).
  void Focus();
  int selected() const { return selected_; }
  void SetSelected(int row);
  bool striped = false;  // every second row on RGB(249, 248, 242)
  bool checkImages = false;
  // A picture at the head of every row (after the check image, if any).
  Picture rowPicture = Picture::None;
  // Several rows may be selected; selected() is then the first of them.
  bool multiSelect = false;
  const std::vector<int>& selectedRows() const { return selectedRows_; }
  void SetSelectedRows(std::vector<int> rows);
  bool IsRowSelected(int row) const;
  // Left button down: row under the cursor (-1 none) and whether the check image was hit.
  std::function<void(int row, bool onImage)> onMouseDown;
  std::function<void(int row)> onItemClick;  // also IconList (-1 = outside any item)
  std::function<void(int row)> onItemDoubleClick;  // ListView (-1 = outside any row)
  // ListView: selected() changed, by the user (mouse, keyboard) or the program.
  std::function<void(int row)> onSelectionChange;
  bool showHeader = true;  // column headers of a ListView

  // IconList.
  std::vector<IconItem> items;

  // CheckList.
  std::vector<std::string> checkItems;
  std::vector<bool> itemChecked;
  int checkColumns = 1;
  void SetItemChecked(int index, bool on);
  // New captions (and count); the ticks of items that stay are kept, new
  // items come unticked.
  void SetCheckItems(std::vector<std::string> items);

  // Radio: radios with the same group number on one form exclude each other.
  int group = 0;

  // Progress bar: 0 to maximum.
  int position() const { return position_; }
  void SetPosition(int pos);
  int maximum() const { return maximum_; }
  void SetMaximum(int maximum);  // also brings the position into the new range

  // Tree: nodes come from `treeSource`; a check box click of the user calls
  // onNodeChecked, after which the view shows the source's checks again
  // (cascades are the handler's business).
  TreeSource* treeSource = nullptr;
  std::function<void(NodeKey node, bool checked)> onNodeChecked;
  bool expandAll = true;  // every node expanded whenever the tree is pulled
  std::vector<Picture> treePictures;  // what TreeSource::Image indexes
  void TreeChanged();                  // nodes or texts changed: the view pulls again
  void NodeCheckChanged(NodeKey node); // one node's check changed
  void ChecksChanged();                // any checks changed
  void ExpandTree();                   // expand every node, first node in view
  // What the user's click on a node's check box does (binder and tests).
  void UserChecksNode(NodeKey node, bool checked);

  // Edit: SetText changes the text; onChange runs after every change of
  // the text, typed or set.
  int maxLength = 0;  // characters the user may type; 0 = no limit
  bool readOnly = false;
  std::function<void()> onChange;

 private:
  void Changed(int what);
  Form& form_;
  std::string text_;
  bool visible_ = true, enabled_ = true, checked_ = false, highlighted_ = false, hovered_ = false;
  Picture picture_ = Picture::None;
  int rowCount_ = 0, selected_ = -1, position_ = 0, maximum_ = 100;
  std::vector<int> selectedRows_;  // ascending
};

// What changed in a control, for the binder.
enum Change : int {
  kChangeText = 1, kChangeVisible = 2, kChangeEnabled = 4, kChangeChecked = 8,
  kChangePicture = 16, kChangeRows = 32, kChangeRepaint = 64, kChangeSelection = 128,
  kChangeItems = 256, kChangePosition = 512, kChangeRange = 1024, kChangeTree = 2048,
  kChangeTreeChecks = 4096, kChangeExpand = 8192, kChangeColumns = 16384, kChangeFocus = 32768,
};

class FormObserver {
 public:
  virtual ~FormObserver() = default;
  virtual void ControlChanged(Control& control, int what) = 0;
  virtual void SheetShown(int sheet) = 0;
  // One node of a tree control changed its check.
  virtual void NodeChanged(Control& tree, NodeKey node) {}
};

// A window's controls and its page control.
class Form {
 public:
  explicit Form(std::string title, int width, int height);

  const std::string& title() const { return title_; }
  int width() const { return width_; }
  int height() const { return height_; }
  void SetTitle(std::string title) { title_ = std::move(title); }  // read when the form is shown

  // Shown modally (UiPorts::ShowModalForm): a handler ends the form with
  // EndModal; the port returns that result.
  void BeginModal() {
    modalRunning_ = true;
    modalResult_ = kModalNone;
  }
  void EndModal(int result) {
    modalResult_ = result;
    modalRunning_ = false;
  }
  bool modalRunning() const { return modalRunning_; }
  int modalResult() const { return modalResult_; }

  Control& Add(int id, Kind kind, std::string name, int sheet, Rect rect, std::string text = {});
  Control* Find(int id);
  Control* FindByName(const std::string& name);
  Control& Get(int id);  // throws std::logic_error when missing
  const std::vector<std::unique_ptr<Control>>& controls() const { return controls_; }

  // Tab sheets of the page control: known sheets and the one shown.
  void AddSheet(int sheet, std::string name, Color background);
  struct Sheet {
    int id;
    std::string name;
    Color background;
  };
  const std::vector<Sheet>& sheets() const { return sheets_; }
  int activeSheet() const { return activeSheet_; }
  void ShowSheet(int sheet);

  // The control last given the focus through the model (0: none).
  int focused() const { return focused_; }
  void SetFocused(int id) { focused_ = id; }

  void SetObserver(FormObserver* observer) { observer_ = observer; }
  void Notify(Control& control, int what) {
    if (observer_) observer_->ControlChanged(control, what);
  }
  void NotifyNode(Control& tree, NodeKey node) {
    if (observer_) observer_->NodeChanged(tree, node);
  }

 private:
  std::string title_;
  int width_, height_;
  std::vector<std::unique_ptr<Control>> controls_;
  std::vector<Sheet> sheets_;
  int activeSheet_ = 0;
  bool modalRunning_ = false;
  int modalResult_ = kModalNone;
  int focused_ = 0;
  FormObserver* observer_ = nullptr;
};

}  // namespace vl::ui
