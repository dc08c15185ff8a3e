// Quoting of command lines.
#include "sysaccess/process_command_line.h"

namespace vl::sys {

std::string QuoteArgument(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) return arg;
  std::string out = "\"";
  size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') {
      out.append(backslashes * 2 + 1, '\\');
    } else {
      out.append(backslashes, '\\');
    }
    backslashes = 0;
    out.push_back(c);
  }
  // Backslashes before the closing quote are doubled so it stays a quote.
  out.append(backslashes * 2, '\\');
  out.push_back('"');
  return out;
}

std::string BuildCommandLine(const std::string& program, const std::vector<std::string>& args) {
  if (program.empty() || program.find('"') != std::string::npos) return "";
  std::string line = "\"" + program + "\"";
  for (const auto& a : args) line += " " + QuoteArgument(a);
  return line;
}

}  // namespace vl::sys
