// The administrators' command line of Vantorel.exe: what the arguments ask
// for, and the usage text that /? prints.
#pragma once
#include <string>
#include <vector>

namespace vl::cli {

enum class Mode { kNone, kScan, kClean, kHelp };
// How a clean removes junk files: the recycle bin (default), directly, or
// into a folder.
enum class Removal { kRecycleBin, kDelete, kMove };

struct Arguments {
  Mode mode = Mode::kNone;
  bool registry = false, junk = false, evidence = false;  // none named: all three
  Removal removal = Removal::kRecycleBin;
  std::string moveFolder;
  std::string reportFile;
  std::string jsonFile;
  std::string error;  // why the arguments are not valid; empty when they are
};

// Exit codes of the command line.
enum ExitCode { kExitClean = 0, kExitFound = 1, kExitBadArguments = 2, kExitCouldNotRun = 3 };

// Parses everything after the program name. Switches are case-insensitive
// and start with "/", "-" or "--".
Arguments ParseArguments(const std::vector<std::string>& args);

// True when the window is not wanted: any argument at all (a mistyped one
// gets the usage, never the window).
inline bool WantsCommandLine(const std::vector<std::string>& args) { return !args.empty(); }

std::string UsageText();

}  // namespace vl::cli
