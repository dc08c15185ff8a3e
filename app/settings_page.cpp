// Settings page, Settings.ini and the run-at-startup switch.
#include "app/settings_page.h"

#include <stdexcept>

#include "app/control_ids.h"
#include "app/page_codes.h"
#include "app/ini_file.h"
#include "ui/page_builder.h"

namespace vl {

using ui::FontStyle;
using ui::Kind;
using ui::Picture;
namespace st = ui::style;

namespace {

const char kSection[] = "Basic";

// A box and its key. `checkedWhen` is the value that checks the box; saving
// writes it for a checked box and its opposite otherwise ("Optimize backup"
// runs the other way round from the rest).
struct Key {
  id::ControlId box;
  const char* key;
  int fallback;
  int checkedWhen;
};
const Key kKeys[] = {
    {id::chkSEStartup, "Windows Startup", 0, 1},
    {id::chkSEMin, "Startup Minimize", 0, 1},
    {id::chkSENoBackup, "No Backup", 0, 1},
    {id::chkSENoOBackup, "Optimize backup", 1, 0},
    {id::chkSEUpdate, "Auto Update", 1, 1},
};

void SetBackupSwitches(MainForm& m) {
  m.backupBeforeRepair = !m.control(id::chkSENoBackup).checked();
  m.backupBeforeOptimize = !m.control(id::chkSENoOBackup).checked();
}

ui::Control& Box(ui::Form& f, int id, const char* name, int y, const char* text) {
  ui::Control& c = f.Add(id, Kind::CheckBox, name, sheet::tabSettings, {st::kMargin + 32, y, 660, 22}, text);
  c.color = st::kText;
  return c;
}

}  // namespace

void AddSettingsPage(MainForm& m, RunAtStartupSwitch runAtStartup) {
  ui::Form& f = m.form();
  f.AddSheet(sheet::tabSettings, "tabSettings", st::kPage);
  ui::PageBuilder b(f, sheet::tabSettings, MainForm::kWidth);
  b.Title(id::labSettingsTitle, "labSettingsTitle", "General Settings");
  b.Description(id::labSettingsDesc, "labSettingsDesc");

  b.Label(id::labSEUpdateGroup, "labSEUpdateGroup", {st::kMargin + 8, 88, 400, 22}, "Update Options",
          FontStyle::Heading);
  b.Label(id::labSEUpdate, "labSEUpdate", {st::kMargin + 32, 114, 660, 20}, {}, FontStyle::Normal, st::kMuted);
  Box(f, id::chkSEUpdate, "chkSEUpdate", 136, "");

  b.Label(id::labSEStartupGroup, "labSEStartupGroup", {st::kMargin + 8, 172, 400, 22}, "Startup Options",
          FontStyle::Heading);
  Box(f, id::chkSEStartup, "chkSEStartup", 198, "Run at Windows startup");
  Box(f, id::chkSEMin, "chkSEMin", 222, "Minimize to the system tray after startup");

  b.Label(id::labSEBackupGroup, "labSEBackupGroup", {st::kMargin + 8, 258, 400, 22}, "Backup Options",
          FontStyle::Heading);
  Box(f, id::chkSENoBackup, "chkSENoBackup", 284,
      "Don't automatically create registry backup before repairing registry. (Not recommended)");
  Box(f, id::chkSENoOBackup, "chkSENoOBackup", 308,
      "Don't automatically create registry backup before optimizing registry. (Not recommended)");

  b.Back(id::imgOPBack2, "imgOPBack2").onClick = [&m] { m.ShowPage(page::kOptions); };
  b.BottomButton(id::imgSaveSet, "imgSaveSet", -1, "Save", Picture::Save).onClick = [&m, runAtStartup] {
    imgSaveSetClick(m, runAtStartup);
  };
  m.RegisterPage(page::kSettings, sheet::tabSettings, [&m] {
    m.control(id::labSettingsDesc).SetText("Customize how Vantorel behaves.");
    m.control(id::chkSEUpdate).SetText("Check for Vantorel update automatically");
  });
  m.AddStartupStep(6, [&m] { ReadSettings(m); });
}

void ReadSettings(MainForm& m) {
  sys::FileSystem& files = *m.platform().files;
  for (const Key& k : kKeys)
    m.control(k.box).SetChecked(ReadIniInteger(files, m.settingsPath(), kSection, k.key, k.fallback) ==
                                k.checkedWhen);
  SetBackupSwitches(m);
  if (ReadIniInteger(files, m.settingsPath(), kSection, "Auto Update", 1) == 1 && m.startUpdateCheck)
    m.startUpdateCheck(false);
}

void imgSaveSetClick(MainForm& m, const RunAtStartupSwitch& runAtStartup) {
  sys::FileSystem& files = *m.platform().files;
  std::string text;
  if (files.FileExists(m.settingsPath()) && !files.ReadFileBytes(m.settingsPath(), text))
    throw std::runtime_error("Unable to read " + m.settingsPath());
  for (const Key& k : kKeys) {
    int value = m.control(k.box).checked() ? k.checkedWhen : 1 - k.checkedWhen;
    text = SetIniValue(text, kSection, k.key, std::to_string(value));
  }
  // One write for all five keys: a failure leaves the old file and changes nothing else.
  if (!files.WriteFileBytes(m.settingsPath(), text))
    throw std::runtime_error("Unable to write to " + m.settingsPath());

  if (runAtStartup) runAtStartup(m.control(id::chkSEStartup).checked());
  SetBackupSwitches(m);
  m.ports().ShowMessage("Settings have been saved successfully.", "Vantorel", MsgButtons::Ok,
                        MsgIcon::Information);
}

}  // namespace vl
