// The dispatch table: each evidence type's locations and collectors.
#include "evidence_cleaner/catalogue.h"

#include <string>
#include <vector>

#include "evidence_cleaner/browser_traces.h"
#include "evidence_cleaner/chromium.h"
#include "evidence_cleaner/collectors.h"
#include "sysaccess/folder_tree.h"
#include "sysaccess/shell_folders.h"
#include "sysaccess/text.h"

namespace vl::evidence {

namespace {

using sys::kHKCU;
using sys::kHKLM;

constexpr char kExplorer[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";

// Most-recently-used lists: every value of each key, with its data.
struct MruType {
  int32_t no;
  std::vector<const char*> keys;
};

const std::vector<MruType>& MruTypes() {
  static const std::vector<MruType> types = {
      {102, {"Software\\Microsoft\\Internet Explorer\\TypedURLs"}},
      {201, {"Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint\\Recent File List"}},
      {202, {"Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Wordpad\\Recent File List"}},
      {203, {"Software\\Microsoft\\MediaPlayer\\Player\\RecentFileList"}},
      {204, {"Software\\Adobe\\Dreamweaver CS4\\Recent File List"}},
      {205, {"Software\\Microsoft\\Microsoft Help Workshop\\Recent File List"}},
      {208,
       {"Software\\Microsoft\\FrontPage\\Explorer\\FrontPage Explorer\\Recent File List",
        "Software\\Microsoft\\FrontPage\\Explorer\\FrontPage Explorer\\Recent Web List",
        "Software\\Microsoft\\FrontPage\\Explorer\\FrontPage Explorer\\Recent Page List",
        "Software\\Microsoft\\FrontPage\\Explorer\\FrontPage Explorer\\Recently Created Servers",
        "Software\\Microsoft\\FrontPage\\Explorer\\FrontPage Explorer\\Settings",
        "Software\\Microsoft\\FrontPage\\Editor\\Recent Templates"}},
      {209, {"Software\\Microsoft\\Conferencing\\UI\\CallMRU"}},
      {210, {"Software\\Microsoft\\MessengerService\\PhoneMRU"}},
      {211, {"Software\\Microsoft\\MSDN"}},
      {212,
       {"Software\\WinRAR\\ArcHistory", "Software\\WinRAR\\DialogEditHistory\\ArcName",
        "Software\\WinRAR\\DialogEditHistory\\ExtrPath", "Software\\WinRAR\\DialogEditHistory\\ViewerSearch"}},
      {213, {"Software\\WinZip\\ArcHistory"}},
      {301, {"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU"}},
      {304, {"Software\\Microsoft\\Telnet"}},
      {305, {"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\PublishingWizard\\AddNetPlace\\LocationMRU"}},
      {306, {"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Map Network Drive MRU"}},
      {307, {"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\TypedPaths"}},
      {308, {"Software\\Microsoft\\Microsoft Management Console\\Recent File List"}},
      {309, {"Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit"}},
      {314, {"Software\\Microsoft\\Windows\\ShellNoRoam\\MUICache"}},
      {315, {"Software\\Microsoft\\Terminal Server Client\\Default"}},
      {402, {"Software\\Headlight\\GetRight\\MRU", "Software\\Headlight\\GetRight\\TypedURLs"}},
      {403,
       {"Software\\SpeedBit\\Download Accelerator\\FileList", "Software\\SpeedBit\\Download Accelerator\\HistoryCombo"}},
      {404, {"Software\\Kazaa\\Kazaa Lite\\Recent File List", "Software\\Kazaa\\Kazaa Media Desktop\\Recent File List"}},
  };
  return types;
}

const MruType* FindMru(int32_t no) {
  for (const MruType& t : MruTypes())
    if (t.no == no) return &t;
  return nullptr;
}

// Types with collectors of their own.
const int32_t kOtherTypes[] = {101, 103, 104, 105, 106, 107, 108, 109, 206, 214, 215, 303, 310, 311, 312,
                               313, 316, 401, 405, 406, 407, 408, 409, 410, 411, 412, 413, 414, 433, 434,
                               317, 318, 319, 320, 321, 322};

}  // namespace

bool KnownType(int32_t typeNo) {
  if (FindMru(typeNo)) return true;
  for (int32_t t : kOtherTypes)
    if (t == typeNo) return true;
  return ChromiumBrowserOf(typeNo) != nullptr;
}

void CollectType(EvidenceContext& c) {
  const int32_t no = c.typeNo();
  if (const MruType* mru = FindMru(no)) {
    for (const char* key : mru->keys) CollectRegistry(c, kHKCU, key, RegMode::kValues, true);
    return;
  }
  if (const ChromiumBrowser* b = ChromiumBrowserOf(no)) {
    CollectChromiumType(c, *b);
    return;
  }
  sys::Shell& shell = *c.platform().shell;
  auto folder = [&shell](int index) { return sys::SpecialFolderPath(shell, index); };
  // A location below a special folder that the system does not have is not
  // looked for at all (it would be relative to the current folder).
  auto below = [&](int index, const std::string& rest) {
    const std::string base = folder(index);
    return base.empty() ? std::string() : base + rest;
  };
  auto tree = [&](const std::string& path, const char* filter) {
    if (!path.empty()) CollectFileTree(c, path, filter);
  };
  auto top = [&](const std::string& path, const std::string& file = {}) {
    if (!path.empty()) CollectFolder(c, path, file);
  };
  switch (no) {
    case 101: tree(below(20, "Content.IE5"), "*.*"); break;
    case 103: top(folder(21)); break;
    case 104: {
      // One folder given for both lists each shortcut once.
      const std::string shared = folder(19), own = folder(8);
      tree(shared, ".url");
      if (!sys::EqualsNoCase(shared, own)) tree(own, ".url");
      break;
    }
    case 105: top(folder(28)); break;
    case 106:
      CollectRegistry(c, kHKCU, "Software\\Microsoft\\Protected Storage System Provider", RegMode::kValues, false);
      break;
    case 107:
      CollectRegistry(c, kHKCU, "Software\\Microsoft\\Internet Explorer", RegMode::kSingleValue, true,
                      "Download Directory");
      break;
    case 108:
      CollectRegistry(c, kHKCU, "Software\\Microsoft\\Internet Explorer\\Main", RegMode::kSingleValue, true,
                      "Save Directory");
      break;
    case 109:
      CollectRegistry(c, kHKCU, "Software\\Microsoft\\Internet Explorer\\IntelliForms\\SPW", RegMode::kValues, false);
      break;
    case 206: CollectOffice(c); break;
    case 214:
      top(below(17, "Real\\RealPlayer\\"), "realplayer.ste");
      top(below(17, "Real\\RealPlayer\\"), "cookies.txt");
      break;
    case 215: CollectAcrobat(c); break;
    case 303: top(folder(10)); break;
    case 310: CollectRegistry(c, kHKCU, std::string(kExplorer) + "UserAssist", RegMode::kSubKeys, false); break;
    case 311:
      CollectRegistry(c, kHKCU, std::string(kExplorer) + "MenuOrder\\Start Menu\\Programs", RegMode::kSubKeys, false);
      break;
    case 312: {
      // The two icon streams, each listed once.
      const std::string key = std::string(kExplorer) + "TrayNotify";
      const std::vector<std::string> present = ValueNames(*c.platform().registry, kHKCU, key, c.access());
      for (const char* name : {"IconStreams", "PastIconsStream"}) {
        for (const std::string& n : present) {
          if (!sys::EqualsNoCase(n, name)) continue;
          c.ShowHint("Scanning " + key + "\\" + n);
          c.AddItem(kRegistryValue, kDeleteItem, kHKCU, key, n, "");
          break;
        }
      }
      break;
    }
    case 313: CollectRegistry(c, kHKCU, "Software\\Microsoft\\Search Assistant\\ACMru", RegMode::kSubKeys, false); break;
    case 316:
      CollectRegistry(c, kHKCU, std::string(kExplorer) + "ComDlg32\\LastVisitedMRU", RegMode::kValues, false);
      CollectRegistry(c, kHKCU, std::string(kExplorer) + "ComDlg32\\OpenSaveMRU", RegMode::kSubKeys, false);
      break;
    case 317:
      // One value per document, and a subkey per file extension.
      CollectRegistry(c, kHKCU, std::string(kExplorer) + "RecentDocs", RegMode::kValues, false);
      CollectRegistry(c, kHKCU, std::string(kExplorer) + "RecentDocs", RegMode::kSubKeys, false);
      break;
    case 318: CollectRegistry(c, kHKCU, std::string(kExplorer) + "WordWheelQuery", RegMode::kValues, false); break;
    case 319:
      // The lists of the dialogs since Vista (316 keeps the older ones).
      CollectRegistry(c, kHKCU, std::string(kExplorer) + "ComDlg32\\OpenSavePidlMRU", RegMode::kValues, false);
      CollectRegistry(c, kHKCU, std::string(kExplorer) + "ComDlg32\\OpenSavePidlMRU", RegMode::kSubKeys, false);
      CollectRegistry(c, kHKCU, std::string(kExplorer) + "ComDlg32\\LastVisitedPidlMRU", RegMode::kValues, false);
      CollectRegistry(c, kHKCU, std::string(kExplorer) + "ComDlg32\\CIDSizeMRU", RegMode::kValues, false);
      break;
    case 320:
      CollectRegistry(c, kHKCU, "Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\Shell\\MuiCache",
                      RegMode::kValues, true);
      break;
    case 321: CollectOfficeMru(c); break;
    case 322: {
      // Those Windows holds open are not removed and not counted.
      const std::string d = below(22, "Microsoft\\Windows\\Explorer\\");
      if (d.empty()) break;
      std::vector<sys::FileEntry> entries;
      c.platform().files->ListFolder(d, entries);
      for (const sys::FileEntry& e : entries)
        if (!e.IsFolder() && !e.IsReparsePoint() && sys::MatchesMask(e.name, "thumbcache_*.db"))
          top(d, e.name);
      break;
    }
    case 401:
      CollectRegistry(c, kHKCU, "Software\\RealNetworks\\RealDownload", RegMode::kValues, true);
      CollectRegistry(c, kHKLM, "Software\\RealNetworks\\RealDownload", RegMode::kValues, true);
      break;
    case 405: case 406: case 407: case 433: case 434:
      // Every profile of Firefox and of its forks.
      CollectFirefoxType(c, FirefoxProfiles(c.platform()));
      break;
    case 408:
      top(below(17, "Opera\\Opera\\"), "global_history.dat");
      top(below(17, "Opera\\Opera\\"), "download.dat");
      break;
    case 409: top(below(17, "Opera\\Opera"), "cookies4.dat"); break;
    case 410:
      tree(below(22, "Opera\\Opera\\cache"), "*.*");
      tree(below(22, "Opera\\Opera\\opcache"), "*.*");
      tree(below(22, "Opera\\Opera\\application_cache"), "*.*");
      break;
    case 411: case 412: case 413:
      // The old places of the Default profile, the newer ones, every profile.
      CollectChromeFiles(c);
      break;
    case 414:
      top(below(17, "Macromedia\\Flash Player\\#SharedObjects"));
      top(below(17, "Adobe\\Flash Player\\AssetCache"));
      break;
    default: break;
  }
}

}  // namespace vl::evidence
