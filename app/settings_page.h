// The settings page (page 502) and Settings.ini: reading it at start-up,
// saving it with the page's save button, and the two backup switches.
#pragma once
#include <functional>

#include "app/main_form.h"

namespace vl {

// Switches Vantorel's run-at-startup value on or off (a job of the registry
// cleaner; the program wires it in).
using RunAtStartupSwitch = std::function<void(bool on)>;

void AddSettingsPage(MainForm& m, RunAtStartupSwitch runAtStartup);
// Start-up step 6: the five keys into the five boxes and the backup switches.
void ReadSettings(MainForm& m);
// Writes the five keys, starts the run-at-startup job and confirms.
void imgSaveSetClick(MainForm& m, const RunAtStartupSwitch& runAtStartup);

}  // namespace vl
