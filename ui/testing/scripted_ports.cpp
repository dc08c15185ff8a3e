// Test doubles for the window's ports.
#include "ui/testing/scripted_ports.h"

#include <chrono>
#include <stdexcept>

namespace vl::testing {

MsgAnswer ScriptedPorts::ShowMessage(const std::string& text, const std::string& caption,
                                     MsgButtons buttons, MsgIcon icon) {
  messages.push_back({text, caption, buttons, icon});
  if (!answers.empty()) {
    MsgAnswer a = answers.front();
    answers.pop_front();
    return a;
  }
  return buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoDefaultNo ? MsgAnswer::Yes : MsgAnswer::Ok;
}

std::string ScriptedPorts::SaveFileDialog(const std::string& defaultName, const std::string& defaultExt,
                                          const std::string& filter) {
  saveDialogs.push_back({defaultName, defaultExt, filter});
  if (saveAnswers.empty()) return "";
  std::string chosen = saveAnswers.front();
  saveAnswers.pop_front();
  return chosen;
}

int ScriptedPorts::ShowModalForm(ui::Form& form) {
  if (form.modalRunning()) throw std::logic_error("form shown while it is already shown: " + form.title());
  formsShown.push_back(form.title());
  form.BeginModal();
  if (formScripts.empty()) {
    form.EndModal(ui::kModalCancel);
    return form.modalResult();
  }
  auto script = std::move(formScripts.front());
  formScripts.pop_front();
  script(form);
  // Main-thread steps keep running, and one of them may end the form.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (form.modalRunning()) {
    dispatcher_.PumpWait(50);
    if (std::chrono::steady_clock::now() > deadline) throw std::runtime_error("modal form never ended");
  }
  return form.modalResult();
}

void ScriptedPorts::ShowWaitModal() {
  waitOpen = true;
  ++waitShown;
  // The modal loop: main-thread steps keep running until a step closes the window.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (waitOpen) {
    dispatcher_.PumpWait(50);
    if (std::chrono::steady_clock::now() > deadline)
      throw std::runtime_error("wait window never closed");
  }
}

}  // namespace vl::testing
