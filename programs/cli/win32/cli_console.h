// The command line's side of Vantorel.exe's entry point: whether arguments
// were given, and the run with the real machine and the standard handles.
#pragma once

namespace vl::cli {

// True when the program was started with any argument.
bool CommandLineWanted();

// Runs the command line and returns its exit code. `version` is the
// program's own version text.
int RunCommandLine(const char* version);

}  // namespace vl::cli
