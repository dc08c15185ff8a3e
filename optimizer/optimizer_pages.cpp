// Optimizer pages 401 to 405 and 407: their controls and what each switch writes.
#include "optimizer/optimizer_pages.h"

#include "app/control_ids.h"
#include "app/page_codes.h"
#include "ui/page_builder.h"

namespace vl::optimizer {

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
}  // namespace

void AddOptimizerPages(MainForm& m) {
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
    b.Description(p.descId, p.descName, {}, 54);
    b.Back(p.backId, p.backName).onClick = toOptimize;
    const id::ControlId descId = p.descId;
    const std::string desc = p.desc;
    m.RegisterPage(p.code, p.sheet, [&m, descId, desc] { m.control(descId).SetText(desc); });
  }
  {
    f.AddSheet(sheet::tabOptimize_Startup, "tabOptimize_Startup", st::kPage);
    ui::PageBuilder b(f, sheet::tabOptimize_Startup, MainForm::kWidth);
    b.Title(id::labStartupTitle, "labStartupTitle", "Startup Manager");
    b.Description(id::labStartupDesc, "labStartupDesc");
    b.Back(id::imgOBack5, "imgOBack5").onClick = toOptimize;
    m.RegisterPage(page::kStartupManager, sheet::tabOptimize_Startup, [&m] {
      m.control(id::labStartupDesc).SetText("Choose which applications you wish to launch when Windows starts.");
    });
  }
  {
    f.AddSheet(sheet::tabOptimize_Finish, "tabOptimize_Finish", st::kPage);
    ui::PageBuilder b(f, sheet::tabOptimize_Finish, MainForm::kWidth);
    b.Title(id::labOptimize_Finish_Title, "labOptimize_Finish_Title", "Finished");
    b.Description(id::labOptimize_Finish_Desc, "labOptimize_Finish_Desc");
    b.Back(id::imgOptimizeBack, "imgOptimizeBack").onClick = toOptimize;
    m.RegisterPage(page::kOptimizeFinish, sheet::tabOptimize_Finish);
  }
}

}  // namespace vl::optimizer
