// Reduction of a command line found in the registry to the program it starts.
#include "sysaccess/command_line.h"

#include "sysaccess/shell_folders.h"
#include "sysaccess/text.h"

namespace vl::sys {

namespace {

void KeepBefore(std::string& t, const std::string& what) {
  size_t p = t.find(what);
  if (p != std::string::npos) t.erase(p);
}

bool HasExtension(const std::string& t) {
  size_t dot = t.rfind('.');
  if (dot == std::string::npos) return false;
  size_t sep = t.find_last_of("\\:");
  return sep == std::string::npos || dot > sep;
}

}  // namespace

std::string CommandLineToPath(const Platform& p, const std::string& commandLine, CommaRule commas) {
  // 1. Trim (control characters count as blanks), lower case.
  size_t b = 0, e = commandLine.size();
  while (b < e && static_cast<unsigned char>(commandLine[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(commandLine[e - 1]) <= ' ') --e;
  std::string t = ToLowerText(commandLine.substr(b, e - b));
  if (t.empty()) return "";
  // 2. Quotes. A path in quotes is whole: blanks, switches and commas
  // inside it belong to the path.
  const bool quotedPath = t[0] == '"';
  if (t.find('"') != std::string::npos) {
    if (quotedPath) t.erase(0, 1);
    KeepBefore(t, "\"");
  }
  if (!quotedPath) {
    // 3.-4. Switches and arguments.
    KeepBefore(t, " /");
    KeepBefore(t, " %");
    // 5. Up to and including the blank after ".exe".
    size_t exe = t.find(".exe ");
    if (exe != std::string::npos) t.erase(exe + 5);
    // 6. "file.dll,entry" of rundll32-style lines.
    if (commas == CommaRule::kEndsPath) KeepBefore(t, ",");
  }
  // 7.
  KeepBefore(t, "\\??\\");
  // A network path stays as it is.
  if (t.compare(0, 2, "\\\\") == 0) return t;
  // 8.-9. \SystemRoot\ and System32\ prefixes.
  size_t sr = t.find("systemroot\\");
  if (sr == 0 || sr == 1) t = SpecialFolderPath(*p.shell, 24) + t.substr(sr + 11);
  size_t s32 = t.find("system32\\");
  if (s32 == 0 || s32 == 1) t = SpecialFolderPath(*p.shell, 25) + t.substr(s32 + 9);
  // 10. One environment variable, named by the first "%" and the first "%\".
  size_t pct = t.find('%');
  size_t pctSlash = t.find("%\\");
  if (pctSlash != std::string::npos && pctSlash > pct) {
    std::string name = t.substr(pct + 1, pctSlash - pct - 1);
    std::string token = "%" + name + "%";
    std::string value = p.system->EnvironmentVariable(name);
    std::string out;
    size_t from = 0;
    for (size_t at; (at = t.find(token, from)) != std::string::npos; from = at + token.size())
      out += t.substr(from, at - from) + value;
    t = out + t.substr(from);
  }
  // 11. A bare program name: system folder when it is there, else Windows folder.
  if (!t.empty() && t.compare(1, 2, ":\\") != 0) {
    KeepBefore(t, " ");
    if (!HasExtension(t)) t += ".exe";
    std::string sys = SpecialFolderPath(*p.shell, 25);
    if (p.files->FileExists(sys + t)) t = sys + t;
    else t = SpecialFolderPath(*p.shell, 24) + t;
  }
  return t;
}

}  // namespace vl::sys
