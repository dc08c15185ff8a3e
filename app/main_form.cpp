// frmMain: the frame (title strip, navigation, bottom strip), the page
// switch, the busy state and the window's lifecycle.
#include "app/main_form.h"

#include <exception>

#include "app/control_ids.h"
#include "app/ini_file.h"
#include "app/page_codes.h"
#include "ui/page_builder.h"

namespace vl {

using ui::Kind;
using ui::Picture;

namespace {
struct TopButton {
  int id;
  const char* name;
  const char* text;
  Picture picture;
  int page;
};
const TopButton kTopButtons[] = {
    {id::imgMStatus, "imgMStatus", "Status", Picture::NavStatus, page::kStatus},
    {id::imgMCleanup, "imgMCleanup", "Cleanup", Picture::NavCleanup, page::kCleanup},
    {id::imgMOptimize, "imgMOptimize", "Optimize", Picture::NavOptimize, page::kOptimize},
    {id::imgMBackup, "imgMBackup", "Backup", Picture::NavBackup, page::kBackup},
    {id::imgMOptions, "imgMOptions", "Options", Picture::NavOptions, page::kOptions},
};
}  // namespace

MainForm::MainForm(sys::Platform& platform, UiPorts& ports, JobRunner& runner)
    : platform_(platform), ports_(ports), runner_(runner), form_("Vantorel Center", kWidth, kHeight) {
  BuildFrame();
  // An error in a worker's main-thread step (a database error in a scan's
  // end step) is shown like one in a handler.
  runner_.dispatcher().SetErrorHandler([this](std::exception_ptr error) {
    Guard([&] { std::rethrow_exception(error); });
  });
}

MainForm::~MainForm() { runner_.dispatcher().SetErrorHandler(nullptr); }

void MainForm::BuildFrame() {
  using namespace ui::style;
  ui::Control& top = form_.Add(id::panTop, Kind::Panel, "panTop", 0, {0, 0, kWidth, 40});
  top.background = kAccentDark;
  top.dragsWindow = true;
  // The title image: logo and name; dragging it moves the window.
  ui::Control& title = form_.Add(id::imgTop, Kind::Label, "imgTop", 0, {0, 0, 560, 40}, "Vantorel Center");
  title.SetPicture(Picture::Logo);
  title.font = ui::FontStyle::Heading;
  title.color = 0xFFFFFF;
  title.background = kAccentDark;
  ui::Control& ver = form_.Add(id::labVer, Kind::Label, "labVer", 0, {560, 12, 110, 18});
  ver.color = 0xC9D7EA;
  ver.background = kAccentDark;
  ver.font = ui::FontStyle::Small;
  form_.Add(id::imgMin, Kind::ImageButton, "imgMin", 0, {kWidth - 84, 4, 36, 32}, "Minimize")
      .SetPicture(Picture::Minimize);
  form_.Add(id::imgClose, Kind::ImageButton, "imgClose", 0, {kWidth - 44, 4, 36, 32}, "Close")
      .SetPicture(Picture::Close);
  form_.Get(id::imgMin).onClick = [this] { imgMinClick(); };
  form_.Get(id::imgClose).onClick = [this] { imgCloseClick(); };

  ui::Control& nav = form_.Add(id::panMain_Top, Kind::Panel, "panMain_Top", 0, {0, 40, kWidth, 80});
  nav.background = kNavBar;
  int x = 16;
  for (const TopButton& b : kTopButtons) {
    ui::Control& c = form_.Add(b.id, Kind::ImageButton, b.name, 0, {x, 44, 104, 72}, b.text);
    c.SetPicture(b.picture);
    int page = b.page;
    c.onClick = [this, page] { ShowPage(page); };
    x += 112;
  }

  ui::Control& bottom = form_.Add(id::panBottom, Kind::Panel, "panBottom", 0,
                                  {0, kPageTop + kPageHeight, kWidth, kHeight - kPageTop - kPageHeight});
  bottom.background = 0xEEF2F7;
  ui::Control& bl = form_.Add(id::labBottom, Kind::Label, "labBottom", 0,
                              {16, kPageTop + kPageHeight + 4, 500, 16},
                              "Vantorel keeps a backup of every registry change it makes.");
  bl.font = ui::FontStyle::Small;
  bl.color = kMuted;
  bl.background = 0xEEF2F7;
}

void MainForm::RegisterPage(int code, int sheet, PageWork work) {
  pages_[code] = Page{sheet, std::move(work)};
}

void MainForm::ShowPage(int code) {
  auto it = pages_.find(code);
  if (it == pages_.end()) {
    // Unknown codes only repaint.
    form_.ShowSheet(form_.activeSheet());
    return;
  }
  currentPage_ = code;
  form_.ShowSheet(it->second.sheet);
  if (code >= 1 && code <= 5) HighlightTopButton(code);
  if (it->second.work) it->second.work();
}

void MainForm::HighlightTopButton(int page) {
  for (const TopButton& b : kTopButtons) form_.Get(b.id).SetHighlighted(b.page == page);
}

void MainForm::EnterBusyState() { form_.Get(id::panMain_Top).SetEnabled(false); }

void MainForm::LeaveBusyState() {
  form_.Get(id::panMain_Top).SetEnabled(true);
  stopFlag.store(1);
  if (onLeaveBusy) onLeaveBusy();
}

void MainForm::FormCreate() {
  firstShow_ = true;
  settingsPath_ = appDir() + "Settings.ini";
  dataDbPath_ = appDir() + "data.db";
  if (exePath.empty()) exePath = appDir() + "Vantorel.exe";
  stopFlag.store(1);
}

void MainForm::AddStartupStep(int order, std::function<void()> step) {
  startup_.emplace(order, std::move(step));
}

void MainForm::FormShow() {
  if (!firstShow_) return;
  firstShow_ = false;
  // An error ends the sequence: the remaining steps never run.
  Guard([this] {
    for (auto& [order, step] : startup_) step();
  });
}

bool MainForm::FormCloseQuery() {
  if (stopFlag.load() == 0) {
    ports_.ShowMessage("You cannot quit Vantorel because scanning is in progress.", "Error",
                       MsgButtons::Ok, MsgIcon::Information);
    return false;
  }
  return true;
}

bool MainForm::CoolTrayIconStartup() {
  // Any value but 0 starts hidden (the settings page checks the box only for 1).
  return ReadIniInteger(*platform_.files, settingsPath_, "Basic", "Startup Minimize", 0) != 0;
}

void MainForm::Guard(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& e) {
    ShowError(e.what());
  } catch (...) {
    ShowError("Unknown error.");
  }
}

void MainForm::ShowError(const std::string& text) {
  ports_.ShowMessage(text, "Vantorel", MsgButtons::Ok, MsgIcon::Error);
}

}  // namespace vl
