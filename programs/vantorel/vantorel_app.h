// Puts the program together: the main form with every feature's pages, the
// wiring between features and the start-up sequence. Used by the Win32 entry
// point and by native tests, which pass the simulated platform and scripted
// ports.
#pragma once
#include <memory>

#include "app/main_form.h"

namespace vl {

namespace registry {
class RegistryCleaner;
}
namespace backup {
class BackupPage;
}
namespace junk {
class JunkCleaner;
}
namespace evidence {
class EvidenceCleaner;
}
namespace optimizer {
class Optimizer;
}

// The features' objects (owned by the main form), for tests that drive them.
struct VantorelFeatures {
  registry::RegistryCleaner* registry = nullptr;
  backup::BackupPage* backup = nullptr;
  junk::JunkCleaner* junk = nullptr;
  evidence::EvidenceCleaner* evidence = nullptr;
  optimizer::Optimizer* optimizer = nullptr;
};

std::unique_ptr<MainForm> BuildMainForm(sys::Platform& platform, UiPorts& ports, JobRunner& runner,
                                        VantorelFeatures* features = nullptr);

}  // namespace vl
