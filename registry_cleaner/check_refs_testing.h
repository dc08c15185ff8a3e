// Test support for the reference checks: a simulated machine with a
// recording context, .reg fixtures, problems as readable lines, and
// shortcut files built byte by byte.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "registry_cleaner/scan_types.h"
#include "registry_cleaner/testing/recording_context.h"
#include "sysaccess/testing/shortcut_bytes.h"
#include "sysaccess/text.h"

namespace vl::registry::testing {

// "ROOT|key|value|data|code|access", so a failing comparison shows every field.
inline std::string ProblemLine(const TScanRegistry& p) {
  std::string root = p.root == sys::kHKU ? "HKU" : sys::RootShortName(p.root);
  char access[16];
  snprintf(access, sizeof access, "%X", p.access);
  return root + "|" + p.keyPath + "|" + p.valueName + "|" + p.data + "|" + std::to_string(p.code) +
         "|" + access;
}

class RefsCheckTest : public ::testing::Test {
 protected:
  // Keys and values in .reg syntax, after the version 5 header.
  void Reg(const std::string& body) { ctx.LoadReg("Windows Registry Editor Version 5.00\r\n\r\n" + body); }
  void File(const std::string& path) { ctx.AddFile(path); }
  void Folder(const std::string& path) { ASSERT_TRUE(sim.platform().files->CreateFolder(path)) << path; }
  // A file in the native system folder of 64-bit Windows (not redirected).
  void NativeFile(const std::string& path) {
    sys::ScopedFsRedirectionOff off(*sim.platform().system);
    ctx.AddFile(path);
  }

  std::vector<std::string> Run(int category) {
    std::vector<std::string> lines;
    for (const TScanRegistry& p : ctx.Run(category)) lines.push_back(ProblemLine(p));
    return lines;
  }
  // The mask every problem of a registry category carries.
  std::string Mask() const { return ctx.wow64() ? "F013F" : "F003F"; }

  sys::SimPlatform sim;
  RecordingContext ctx{sim};
};

using sys::testing::ShortcutBytes;

}  // namespace vl::registry::testing
