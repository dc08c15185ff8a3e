// The command line of a started program, quoted the way the Microsoft C
// runtime (and CommandLineToArgvW) splits it again.
#pragma once
#include <string>
#include <vector>

namespace vl::sys {

// One argument, quoted when it is empty or holds a blank, tab or quote;
// backslashes are doubled only where they precede a quote.
std::string QuoteArgument(const std::string& arg);
// The program (always quoted; a program path never holds a quote) followed
// by the quoted arguments. Empty when the program path holds a quote.
std::string BuildCommandLine(const std::string& program, const std::vector<std::string>& args);

}  // namespace vl::sys
