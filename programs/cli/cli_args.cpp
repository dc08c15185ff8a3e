// Parsing of the command line and its usage text.
#include "programs/cli/cli_args.h"

#include <cctype>

namespace vl::cli {

namespace {

// The switch's name in lower case without its "/", "-" or "--"; empty when
// the argument is no switch.
std::string SwitchName(const std::string& arg) {
  size_t start = 0;
  if (arg.rfind("--", 0) == 0)
    start = 2;
  else if (!arg.empty() && (arg[0] == '/' || arg[0] == '-'))
    start = 1;
  else
    return {};
  std::string name = arg.substr(start);
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return name;
}

bool IsKnownSwitch(const std::string& name) {
  for (const char* known : {"?", "h", "help", "scan", "clean", "registry", "junk", "evidence", "delete", "move",
                            "report", "json"})
    if (name == known) return true;
  return false;
}

}  // namespace

Arguments ParseArguments(const std::vector<std::string>& args) {
  Arguments a;
  auto fail = [&a](const std::string& why) {
    a.error = why;
    return a;
  };
  bool removalGiven = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string name = SwitchName(args[i]);
    // Takes the value after a switch that needs one.
    auto value = [&](std::string& into) {
      if (i + 1 >= args.size() || args[i + 1].empty() || IsKnownSwitch(SwitchName(args[i + 1]))) return false;
      if (!into.empty()) return false;
      into = args[++i];
      return true;
    };
    if (name == "?" || name == "h" || name == "help") {
      if (a.mode != Mode::kNone && a.mode != Mode::kHelp) return fail("/? stands alone.");
      a.mode = Mode::kHelp;
    } else if (name == "scan" || name == "clean") {
      if (a.mode != Mode::kNone) return fail("Give one of /scan and /clean, once.");
      a.mode = name == "scan" ? Mode::kScan : Mode::kClean;
    } else if (name == "registry") {
      a.registry = true;
    } else if (name == "junk") {
      a.junk = true;
    } else if (name == "evidence") {
      a.evidence = true;
    } else if (name == "delete") {
      if (removalGiven) return fail("Give one of /delete and /move FOLDER, once.");
      removalGiven = true;
      a.removal = Removal::kDelete;
    } else if (name == "move") {
      if (removalGiven) return fail("Give one of /delete and /move FOLDER, once.");
      removalGiven = true;
      a.removal = Removal::kMove;
      if (!value(a.moveFolder)) return fail("/move needs the folder the junk files go to.");
    } else if (name == "report") {
      if (!value(a.reportFile)) return fail("/report needs one file name.");
    } else if (name == "json") {
      if (!value(a.jsonFile)) return fail("/json needs one file name.");
    } else {
      return fail("Unknown argument: " + args[i]);
    }
  }
  if (a.mode == Mode::kHelp) {
    if (args.size() != 1) return fail("/? stands alone.");
    return a;
  }
  if (a.mode == Mode::kNone) return fail("Give /scan or /clean.");
  if (a.mode == Mode::kScan && removalGiven) return fail("/delete and /move belong to /clean.");
  if (!a.registry && !a.junk && !a.evidence) a.registry = a.junk = a.evidence = true;
  return a;
}

std::string UsageText() {
  return "Vantorel: scans and cleans from a script, without a window.\r\n"
         "\r\n"
         "  Vantorel.exe /scan  [/registry] [/junk] [/evidence] [/report FILE.html] [/json FILE.json]\r\n"
         "  Vantorel.exe /clean [/registry] [/junk] [/evidence] [/delete | /move FOLDER]\r\n"
         "                      [/report FILE.html] [/json FILE.json]\r\n"
         "  Vantorel.exe /?\r\n"
         "\r\n"
         "  /scan       finds problems and changes nothing.\r\n"
         "  /clean      finds problems, then repairs and cleans everything found, with the\r\n"
         "              same registry backups as the window (backup\\repair_backup).\r\n"
         "  /registry /junk /evidence   the kinds to run; none named runs all three.\r\n"
         "  /delete     deletes junk files directly instead of moving them to the recycle bin.\r\n"
         "  /move FOLDER  moves junk files into a dated subfolder of FOLDER.\r\n"
         "  /report FILE  writes the HTML report of every kind that ran.\r\n"
         "  /json FILE    writes the full result: every problem, file and item.\r\n"
         "\r\n"
         "Switches may also start with - or --; case does not matter.\r\n"
         "Standard output gets one line of JSON (at most 2048 bytes).\r\n"
         "\r\n"
         "Exit codes:\r\n"
         "  0  /scan found nothing; /clean cleaned everything it found.\r\n"
         "  1  /scan found something; /clean could not clean something.\r\n"
         "  2  bad arguments (this text on standard error).\r\n"
         "  3  another Vantorel is running a job, or the command could not run.\r\n";
}

}  // namespace vl::cli
