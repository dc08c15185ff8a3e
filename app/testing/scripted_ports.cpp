// Test doubles for the window's ports.
#include "app/testing/scripted_ports.h"

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
  return buttons == MsgButtons::YesNo ? MsgAnswer::Yes : MsgAnswer::Ok;
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
