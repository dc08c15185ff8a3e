// A test fixture holding the whole main window on the simulated platform,
// with the application folder C:\Vantorel\ and scripted ports.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ui/testing/scripted_ports.h"
#include "programs/vantorel/vantorel_app.h"
#include "store/database.h"
#include "sysaccess/sim/sim_platform.h"

namespace vl::testing {

class AppFixture : public ::testing::Test {
 protected:
  AppFixture() : ports(dispatcher), runner(dispatcher) {
    sim.files().CreateFolder("C:\\Vantorel");
    sim.platform().appDir = "C:\\Vantorel\\";
    // Keeps the automatic full backup of the first start out of these tests.
    sim.files().CreateFolder("C:\\Vantorel\\backup");
    sim.files().CreateFolder("C:\\Vantorel\\backup\\full_backup");
  }
  ~AppFixture() override { Drain(); }

  MainForm& Build() {
    main = BuildMainForm(sim.platform(), ports, runner, &features);
    // The update check of every start (on by default) stays out of the
    // other features' tests; the update tests switch it on.
    if (!withUpdateCheck) main->startUpdateCheck = nullptr;
    return *main;
  }
  MainForm& Start() {
    Build();
    main->FormShow();
    return *main;
  }
  // Runs main-thread steps until no worker is left.
  void Drain() {
    for (int i = 0; i < 4000 && (runner.running() > 0 || dispatcher.Pump() > 0); ++i) dispatcher.PumpWait(5);
    dispatcher.Pump();
  }
  std::string Text(id::ControlId control) { return main->control(control).text(); }
  bool Checked(id::ControlId control) { return main->control(control).checked(); }
  void WriteFile(const std::string& path, const std::string& text) {
    ASSERT_TRUE(sim.files().WriteFileBytes(path, text));
  }
  std::string ReadFile(const std::string& path) {
    std::string s;
    sim.files().ReadFileBytes(path, s);
    return s;
  }
  store::Connection Db() { return store::OpenDatabase(sim.files().NativePath("C:\\Vantorel\\data.db")); }

  sys::SimPlatform sim;
  ManualDispatcher dispatcher;
  ScriptedPorts ports;
  JobRunner runner;
  std::unique_ptr<MainForm> main;
  VantorelFeatures features;
  bool withUpdateCheck = false;
};

}  // namespace vl::testing
