// Modal forms through the scripted ports: the script plays the user, the
// form's own handlers end it, and main-thread steps keep running meanwhile.
#include "ui/testing/scripted_ports.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "ui/jobs.h"
#include "ui/ui_model.h"

namespace vl::testing {
namespace {

// A dialog in the shape of the junk type dialog: an edit field, OK enabled
// only with text, Cancel.
struct TypeDialog {
  ui::Form form{"Add a new file type", 360, 180};
  ui::Control& ext = form.Add(1, ui::Kind::Edit, "edtExt", 0, {16, 40, 200, 24});
  ui::Control& ok = form.Add(2, ui::Kind::ImageButton, "btnOk", 0, {16, 120, 90, 30}, "OK");
  ui::Control& cancel = form.Add(3, ui::Kind::ImageButton, "btnCancel", 0, {120, 120, 90, 30}, "Cancel");
  TypeDialog() {
    ok.SetEnabled(false);
    ext.onChange = [this] { ok.SetEnabled(ext.text().find_first_not_of(' ') != std::string::npos); };
    ok.onClick = [this] { form.EndModal(ui::kModalOk); };
    cancel.onClick = [this] { form.EndModal(ui::kModalCancel); };
  }
};

TEST(ScriptedPortsModal, TheScriptTypesAndTheFormsHandlerEndsIt) {
  ManualDispatcher dispatcher;
  ScriptedPorts ports(dispatcher);
  TypeDialog d;
  ports.formScripts.push_back([&](ui::Form& f) {
    EXPECT_TRUE(f.modalRunning());
    d.ok.Click();  // disabled: nothing happens
    EXPECT_TRUE(f.modalRunning());
    d.ext.SetText("*.bak");
    EXPECT_TRUE(d.ok.enabled());
    d.ok.Click();
  });
  EXPECT_EQ(ports.ShowModalForm(d.form), ui::kModalOk);
  EXPECT_FALSE(d.form.modalRunning());
  EXPECT_EQ(ports.formsShown, (std::vector<std::string>{"Add a new file type"}));
  EXPECT_EQ(d.ext.text(), "*.bak");
}

TEST(ScriptedPortsModal, WithoutAScriptTheUserCloses) {
  ManualDispatcher dispatcher;
  ScriptedPorts ports(dispatcher);
  TypeDialog d;
  EXPECT_EQ(ports.ShowModalForm(d.form), ui::kModalCancel);
  ports.formScripts.push_back([&](ui::Form&) { d.cancel.Click(); });
  EXPECT_EQ(ports.ShowModalForm(d.form), ui::kModalCancel);
  EXPECT_EQ(ports.formsShown.size(), 2u);
}

TEST(ScriptedPortsModal, AFormShownAgainWhileItRunsIsAnError) {
  ManualDispatcher dispatcher;
  ScriptedPorts ports(dispatcher);
  TypeDialog d;
  ports.formScripts.push_back([&](ui::Form& f) {
    EXPECT_THROW(ports.ShowModalForm(f), std::logic_error);
    d.ok.SetEnabled(true);
    d.ok.Click();
  });
  EXPECT_EQ(ports.ShowModalForm(d.form), ui::kModalOk);
}

TEST(ScriptedPortsModal, AWorkersMainThreadStepMayEndTheForm) {
  ManualDispatcher dispatcher;
  JobRunner runner(dispatcher);
  ScriptedPorts ports(dispatcher);
  TypeDialog d;
  bool stepRan = false;
  ports.formScripts.push_back([&](ui::Form&) {
    // The form stays open after the script; a worker's step closes it.
    runner.Start([&] {
      dispatcher.Call([&] {
        stepRan = true;
        d.form.EndModal(7);
      });
    });
  });
  EXPECT_EQ(ports.ShowModalForm(d.form), 7);
  EXPECT_TRUE(stepRan);
  EXPECT_TRUE(runner.WaitIdle(10000));
}

}  // namespace
}  // namespace vl::testing
