// Optimizer pages 401 to 405 and 407: their controls, what each page switch
// writes, and the profile pages' initial state at first show.
#include "optimizer/optimizer_pages.h"

#include "app/control_ids.h"
#include "app/page_codes.h"
#include "optimizer/tweak_tables.h"
#include "ui/page_builder.h"

namespace vl::optimizer {

using ui::Picture;
namespace st = ui::style;

namespace {

struct ProfilePage {
  int code, sheet;
  const char* sheetName;
  int titleId;
  const char* titleName;
  const char* title;
  id::ControlId descId;
  const char* descName;
  const char* desc;
  int backId;
  const char* backName;
  int topId;
  const char* topName;
};

// A radio group: its caption and one radio per item, `columns` side by
// side, below the caption or, with `captionWidth`, on its line.
void RadioGroup(ui::Form& f, int sheet, id::ControlId caption, const std::string& captionText,
                const id::ControlId* radios, const std::vector<std::string>& items, ui::Rect area, int columns,
                std::function<void()> onClick, int captionWidth = 0) {
  ui::PageBuilder b(f, sheet, MainForm::kWidth);
  b.Label(caption, id::Name(caption), {area.x, area.y, captionWidth ? captionWidth : area.w, 20}, captionText,
          ui::FontStyle::Bold);
  const int left = area.x + (captionWidth ? captionWidth : 8), top = area.y + (captionWidth ? 0 : 22);
  const int w = (area.x + area.w - left) / columns;
  for (size_t i = 0; i < items.size(); ++i) {
    const int col = static_cast<int>(i) % columns, row = static_cast<int>(i) / columns;
    ui::Control& r = f.Add(radios[i], ui::Kind::Radio, id::Name(radios[i]), sheet,
                           {left + col * w, top + row * 22, w - 12, 20}, items[i]);
    r.group = radios[0];
    if (onClick) r.onClick = onClick;
  }
}

ui::Control& CheckList(ui::Form& f, int sheet, id::ControlId list, ui::Rect r, const std::vector<std::string>& items) {
  ui::Control& c = f.Add(list, ui::Kind::CheckList, id::Name(list), sheet, r);
  c.checkItems = items;
  c.itemChecked.assign(items.size(), false);
  return c;
}

}  // namespace

Optimizer& AddOptimizerPages(MainForm& m) {
  Optimizer& o = m.AddFeature(std::make_unique<Optimizer>(m));
  ui::Form& f = m.form();
  const ProfilePage pages[] = {
      {page::kNetwork, sheet::tabOptimize_Network, "tabOptimize_Network", id::labNetworkTitle, "labNetworkTitle",
       "Network", id::labNetworkDesc, "labNetworkDesc",
       "According to your type of network connection, select one of the following options to "
       "optimize your network\rspeed.",
       id::imgOBack1, "imgOBack1", id::panOptimize_Network_Top, "panOptimize_Network_Top"},
      {page::kDiskCache, sheet::tabOptimize_DiskCache, "tabOptimize_DiskCache", id::labDiskCacheTitle,
       "labDiskCacheTitle", "Disk Cache", id::labDiskCacheDesc, "labDiskCacheDesc",
       "According to your computer type and memory size, set disk size in order to save the time "
       "to calculate cache\rand ensure the memory needs of other programs.",
       id::imgOBack2, "imgOBack2", id::panOptimize_DiskCache_Top, "panOptimize_DiskCache_Top"},
      {page::kDesktop, sheet::tabOptimize_Desktop, "tabOptimize_Desktop", id::labDesktopTitle, "labDesktopTitle",
       "Desktop", id::labDesktopDesc, "labDesktopDesc",
       "Desktop optimization will optimize the desktop and improve the display speed of icons and "
       "Windows refresh\rspeed.",
       id::imgOBack3, "imgOBack3", id::panOptimize_Desktop_Top, "panOptimize_Desktop_Top"},
      {page::kFileSystem, sheet::tabOptimize_FileSystem, "tabOptimize_FileSystem", id::labFileSystemTitle,
       "labFileSystemTitle", "File System", id::labFileSystemDesc, "labFileSystemDesc",
       "According to your favorites, please choose one of the following options to speed up file "
       "access.",
       id::imgOBack4, "imgOBack4", id::panOptimize_FileSystem_Top, "panOptimize_FileSystem_Top"},
  };
  auto toOptimize = [&m] { m.ShowPage(page::kOptimize); };
  for (const ProfilePage& p : pages) {
    f.AddSheet(p.sheet, p.sheetName, st::kPage);
    ui::PageBuilder b(f, p.sheet, MainForm::kWidth);
    f.Add(p.topId, ui::Kind::Panel, p.topName, p.sheet, {0, 0, MainForm::kWidth, 2}).background = st::kPage;
    b.Title(p.titleId, p.titleName, p.title);
    b.Description(p.descId, p.descName, {}, 46);
    b.Back(p.backId, p.backName).onClick = toOptimize;
    const id::ControlId descId = p.descId;
    const std::string desc = p.desc;
    m.RegisterPage(p.code, p.sheet, [&m, descId, desc] { m.control(descId).SetText(desc); });
  }
  const int width = MainForm::kWidth - 2 * st::kMargin;
  {
    const int s = sheet::tabOptimize_Network;
    static const id::ControlId radios[] = {id::radgNetwork0, id::radgNetwork1, id::radgNetwork2, id::radgNetwork3,
                                           id::radgNetwork4, id::radgNetwork5, id::radgNetwork6};
    // No handler: the options keep their ticks whatever the connection.
    RadioGroup(f, s, id::labNetworkGroup, "Network Connection", radios, NetworkConnections(),
               {st::kMargin, 94, width, 110}, 2, {});
    CheckList(f, s, id::chklstNetwork, {st::kMargin, 206, width, 140}, NetworkOptions());
    ui::PageBuilder b(f, s, MainForm::kWidth);
    b.BottomButton(id::imgOptimizeN, "imgOptimizeN", -1, "Optimize", Picture::Network).onClick = [&o] {
      o.imgOptimizeNClick();
    };
  }
  {
    const int s = sheet::tabOptimize_DiskCache;
    static const id::ControlId radios[] = {id::radgDiskCache0, id::radgDiskCache1, id::radgDiskCache2,
                                           id::radgDiskCache3, id::radgDiskCache4};
    RadioGroup(f, s, id::labDiskCacheGroup, "Please select computer type", radios, ComputerTypes(),
               {st::kMargin, 94, width, 66}, 3, [&o] { o.radgDiskCacheClick(); });
    CheckList(f, s, id::chklstDiskCache, {st::kMargin, 162, width, 184}, DiskCacheOptions(0));
    ui::PageBuilder b(f, s, MainForm::kWidth);
    b.BottomButton(id::imgOptimizeD, "imgOptimizeD", -1, "Optimize", Picture::DiskCache).onClick = [&o] {
      o.imgOptimizeDClick();
    };
  }
  {
    const int s = sheet::tabOptimize_Desktop;
    static const id::ControlId radios[] = {id::radgDesktop0, id::radgDesktop1};
    RadioGroup(f, s, id::labDesktopGroup, "Please choose an option", radios, DesktopProfiles(),
               {st::kMargin, 100, width, 20}, 2, [&o] { o.radgDesktopClick(); }, 200);
    ui::PageBuilder b(f, s, MainForm::kWidth);
    ui::Control& list = b.List(id::lstvDesktop, "lstvDesktop", {st::kMargin, 124, width, 224});
    list.columns = {{"Items", 560}, {"Value", 120}};
    list.checkImages = true;
    list.rowProvider = [&o](int row, int col) { return o.lstvDesktopData(row, col); };
    list.onMouseDown = [&o](int row, bool onImage) { o.lstvDesktopMouseDown(row, onImage); };
    b.BottomButton(id::imgOptimizeDT, "imgOptimizeDT", -1, "Optimize", Picture::Desktop).onClick = [&o] {
      o.imgOptimizeDTClick();
    };
  }
  {
    const int s = sheet::tabOptimize_FileSystem;
    static const id::ControlId radios[] = {id::radgFileSystem0, id::radgFileSystem1};
    RadioGroup(f, s, id::labFileSystemGroup, "Please choose an option", radios, FileSystemProfiles(),
               {st::kMargin, 94, width, 66}, 1, [&o] { o.radgFileSystemClick(); });
    // Made with the seven items of profile 1, so that the rows are sized for
    // all of them; the first show leaves profile 0 with six.
    CheckList(f, s, id::chklstFileSystem, {st::kMargin, 162, width, 184}, FileSystemOptions(1));
    ui::PageBuilder b(f, s, MainForm::kWidth);
    b.BottomButton(id::imgOptimizeF, "imgOptimizeF", -1, "Optimize", Picture::FileSystem).onClick = [&o] {
      o.imgOptimizeFClick();
    };
  }
  {
    f.AddSheet(sheet::tabOptimize_Startup, "tabOptimize_Startup", st::kPage);
    const int s = sheet::tabOptimize_Startup;
    ui::PageBuilder b(f, s, MainForm::kWidth);
    b.Title(id::labStartupTitle, "labStartupTitle", "Startup Program Manager");
    b.Description(id::labStartupDesc, "labStartupDesc");
    b.Back(id::imgOBack5, "imgOBack5").onClick = toOptimize;
    // The tabs tabStartup_Remove and tabStartup_Restore: a button each above
    // one list each, only the active tab's list and button shown.
    b.Button(id::imgSRemove, "imgSRemove", {st::kMargin, 86, 150, 32}, "Startup List", Picture::None).onClick =
        [&o] { o.imgSRemoveClick(); };
    b.Button(id::imgSRestore, "imgSRestore", {st::kMargin + 158, 86, 150, 32}, "Restore List", Picture::None)
        .onClick = [&o] { o.imgSRestoreClick(); };
    ui::Control& active = b.List(id::lstvSRemove, "lstvSRemove", {st::kMargin, 124, width, 222});
    active.columns = {{"Program Name", 240}, {"Program Path", 440}};
    ui::Control& removed = b.List(id::lstvSRestore, "lstvSRestore", {st::kMargin, 124, width, 222});
    removed.columns = {{"Startup Item", 240}, {"Program Path", 440}};
    for (ui::Control* view : {&active, &removed}) {
      view->checkImages = true;
      view->striped = true;
    }
    active.rowProvider = [&o](int row, int col) { return o.lstvSRemoveData(o.activeList, row, col); };
    removed.rowProvider = [&o](int row, int col) { return o.lstvSRemoveData(o.removedList, row, col); };
    active.onMouseDown = [&o, &active](int row, bool onImage) {
      o.lstvSRemoveMouseDown(active, o.activeList, row, onImage);
    };
    removed.onMouseDown = [&o, &removed](int row, bool onImage) {
      o.lstvSRemoveMouseDown(removed, o.removedList, row, onImage);
    };
    b.BottomButton(id::imgStartupRemove, "imgStartupRemove", -1, "Remove", Picture::Delete).onClick = [&o] {
      o.imgStartupRemoveClick();
    };
    b.BottomButton(id::imgStartupRestore, "imgStartupRestore", -1, "Restore", Picture::Restore).onClick = [&o] {
      o.imgStartupRestoreClick();
    };
    o.imgSRemoveClick();
    m.RegisterPage(page::kStartupManager, s, [&o] { o.OpenStartupManager(); });
  }
  {
    f.AddSheet(sheet::tabOptimize_Finish, "tabOptimize_Finish", st::kPage);
    ui::PageBuilder b(f, sheet::tabOptimize_Finish, MainForm::kWidth);
    b.Title(id::labOptimize_Finish_Title, "labOptimize_Finish_Title", "Optimization Complete");
    b.Description(id::labOptimize_Finish_Desc, "labOptimize_Finish_Desc", {}, 90);
    b.Back(id::imgOptimizeBack, "imgOptimizeBack").onClick = toOptimize;
    m.RegisterPage(page::kOptimizeFinish, sheet::tabOptimize_Finish);
  }

  // The option pages in their initial state (step 8 of the start-up): the
  // network page on "Modem" with nothing ticked, the others on their first
  // profile with every option ticked, as their radio handlers leave them.
  m.AddStartupStep(8, [&m, &o] {
    m.control(id::radgNetwork0).SetChecked(true);
    m.control(id::radgDiskCache0).SetChecked(true);
    o.radgDiskCacheClick();
    m.control(id::radgDesktop0).SetChecked(true);
    o.radgDesktopClick();
    m.control(id::radgFileSystem0).SetChecked(true);
    o.radgFileSystemClick();
  });
  return o;
}

}  // namespace vl::optimizer
