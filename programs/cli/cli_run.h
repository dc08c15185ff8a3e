// The command line's job: the features' own scans and cleans, run in a main
// form that no window shows, with every question answered the safe way.
#pragma once
#include <string>

#include "programs/cli/cli_args.h"
#include "sysaccess/platform.h"
#include "sysaccess/system.h"

namespace vl::cli {

struct Environment {
  std::string version;  // the program's version, as its version resource says
  std::string exePath;  // the running program
  sys::Bitness bitness;
};

struct Output {
  std::string stdoutText;  // one line of JSON (or the usage of /?)
  std::string stderrText;
  int exitCode = kExitCouldNotRun;
};

// At most this many bytes of JSON reach standard output, line end included.
inline constexpr size_t kStdoutCap = 2048;

// Runs what `args` ask for on `platform`. Never shows anything: the caller
// writes the output to the standard handles.
Output Run(sys::Platform& platform, const Arguments& args, const Environment& env);

}  // namespace vl::cli
