// The pages behind three of the top buttons: cleanup, optimize and options
// (the status and backup pages have files of their own).
#include "app/overview_pages.h"

#include "app/control_ids.h"
#include "app/page_codes.h"
#include "ui/page_builder.h"

namespace vl {

using ui::FontStyle;
using ui::Kind;
using ui::Picture;
namespace st = ui::style;

namespace {

void AddCleanupPage(MainForm& m) {
  ui::PageBuilder b(m.form(), sheet::tabCleanup, MainForm::kWidth);
  b.Title(id::labCleanupTitle, "labCleanupTitle", "Please select categories to perform cleanup");
  struct Cleaner {
    int imgId;
    const char* imgName;
    Picture picture;
    int labId;
    const char* labName;
    const char* caption;
    int descId;
    const char* descName;
    const char* desc;
    int page;
  };
  const Cleaner cleaners[] = {
      {id::imgRegistryCleaner, "imgRegistryCleaner", Picture::RegistryCleaner, id::labRegistry,
       "labRegistry", "Registry Cleaner", id::labRegistryDesc, "labRegistryDesc",
       "Repair registry problems and speed up PC performance", 101},
      {id::imgJunkFile, "imgJunkFile", Picture::JunkCleaner, id::labJunk, "labJunk",
       "Junk File Cleaner", id::labJunkDesc, "labJunkDesc",
       "Clean up all junk files and free up valuable disk space", 201},
      {id::imgEvidence, "imgEvidence", Picture::EvidenceCleaner, id::labEvidence, "labEvidence",
       "Evidence Cleaner", id::labEvidenceDesc, "labEvidenceDesc",
       "Clean up all traces of your PC and Internet activities", 301},
  };
  int y = 70;
  for (const Cleaner& c : cleaners) {
    ui::Control& img = b.Button(c.imgId, c.imgName, {60, y, 84, 84}, c.caption, c.picture);
    ui::Control& lab = b.Label(c.labId, c.labName, {164, y + 14, 400, 26}, c.caption,
                               FontStyle::Heading, st::kLink);
    lab.underlineOnHover = true;
    b.Label(c.descId, c.descName, {164, y + 44, 520, 22}, c.desc, FontStyle::Normal, st::kMuted);
    int page = c.page;
    img.onClick = lab.onClick = [&m, page] { m.ShowPage(page); };
    y += 100;
  }
  m.RegisterPage(page::kCleanup, sheet::tabCleanup);
}

void AddOptimizePage(MainForm& m) {
  ui::PageBuilder b(m.form(), sheet::tabOptimize, MainForm::kWidth);
  b.Title(id::labOptimizeTitle, "labOptimizeTitle", "Please select an item you want to optimize");
  ui::Control& top = m.form().Add(id::panOptimize_Top, Kind::Panel, "panOptimize_Top",
                                  sheet::tabOptimize, {0, 0, MainForm::kWidth, 2});
  top.background = st::kPage;
  ui::Control& list = m.form().Add(id::lstvOptimize, Kind::IconList, "lstvOptimize",
                                   sheet::tabOptimize, {st::kMargin, 70, 709, 300});
  list.items = {{"Network", Picture::Network},
                {"Disk Cache", Picture::DiskCache},
                {"Desktop", Picture::Desktop},
                {"File System", Picture::FileSystem},
                {"Startup Manager", Picture::Startup}};
  list.onItemClick = [&m](int item) {
    static const int kPages[] = {page::kNetwork, page::kDiskCache, page::kDesktop, page::kFileSystem,
                                 page::kStartupManager};
    if (item >= 0 && item <= 4) m.ShowPage(kPages[item]);
  };
  m.RegisterPage(page::kOptimize, sheet::tabOptimize, [&m] { m.control(id::lstvOptimize).SetSelected(-1); });
}

void AddOptionsPages(MainForm& m) {
  ui::Form& f = m.form();
  {
    ui::PageBuilder b(f, sheet::tabOptions, MainForm::kWidth);
    b.Title(id::labOptionsTitle, "labOptionsTitle", "Please select an item to customize preferences");
    f.Add(id::panOptions_Top, Kind::Panel, "panOptions_Top", sheet::tabOptions,
          {0, 0, MainForm::kWidth, 2})
        .background = st::kPage;
    ui::Control& list = f.Add(id::lstvOptions, Kind::IconList, "lstvOptions", sheet::tabOptions,
                              {st::kMargin, 70, 709, 300});
    list.items = {{"General Settings", Picture::Settings},
                  {"Ignore List", Picture::IgnoreList},
                  {"Check Update", Picture::CheckUpdate},
                  {"Scan Report", Picture::Report}};
    list.onItemClick = [&m](int item) {
      // "Check Update" switches no page: the check runs behind the wait window.
      static const int kPages[] = {page::kSettings, page::kIgnoreList, 0, page::kReport};
      if (item == 2) {
        if (m.startUpdateCheck) m.startUpdateCheck(true);
      } else if (item >= 0 && item < 4) {
        m.ShowPage(kPages[item]);
      }
    };
    m.RegisterPage(page::kOptions, sheet::tabOptions, [&m] {
      m.control(id::lstvOptions).SetSelected(-1);
      m.control(id::panOptions_Top).Focus();
    });
  }
}

}  // namespace

void AddOverviewPages(MainForm& m) {
  ui::Form& f = m.form();
  const struct {
    int sheet;
    const char* name;
  } sheets[] = {
      {sheet::tabCleanup, "tabCleanup"},
      {sheet::tabOptimize, "tabOptimize"},
      {sheet::tabOptions, "tabOptions"},
  };
  for (auto& s : sheets) f.AddSheet(s.sheet, s.name, st::kPage);
  AddCleanupPage(m);
  AddOptimizePage(m);
  AddOptionsPages(m);
}

}  // namespace vl
