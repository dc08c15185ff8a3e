// The small file, disk and shell helpers the features share. Each takes the
// platform interfaces it needs, so the same code runs on both backends.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "sysaccess/platform.h"

namespace vl::sys {

// Special folders by this program's own index (1..27; anything else is the
// History folder). SpecialFolderPath adds a trailing backslash to a
// non-empty result.
int CsidlForIndex(int index);
std::string SpecialFolderPath(Shell& shell, int index);

// The program or file a command line names, lower-cased except for the
// parts inserted from folders and environment variables.
std::string CommandLineToPath(const Platform& p, const std::string& commandLine);

// Reads a shortcut: false for a file that is not a shortcut to a file-system
// object (link-info flag clear), without asking the shell.
bool ReadShortcut(FileSystem& files, Shell& shell, const std::string& path, TLinkInfo& info);
std::string ShortcutTarget(FileSystem& files, Shell& shell, const std::string& path);
// Parser of the shortcut file format itself (the sim backend's link object).
bool ParseShortcutFile(const std::string& bytes, TLinkInfo& info);

// "0 B", "1.5 KB", "1024.0 MB" ...; `decimalSeparator` as the locale gives it.
std::string FormatSize(uint64_t bytes, const std::string& decimalSeparator = ".");

// Pieces between separators, empty ones included; a final empty piece is not
// appended.
void SplitText(const std::string& text, char separator, std::vector<std::string>& list);

// Calendar date and time of a file time.
struct DateTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
  bool valid = false;
  // Days since 1899-12-30 with the time as fraction (the usual date-time value).
  double ToSerial() const;
};
// Mode 1: converted to local time first; any other mode: as it is.
DateTime FileTimeToDateTime(System& system, uint64_t fileTime, int mode);
DateTime FileTimeToCalendar(uint64_t fileTime);

// Size of the first entry found for the path (wildcards allowed in the last
// component), low 32 bits taken as signed; 0 when none is found.
int32_t FileSizeOf(FileSystem& files, const std::string& path);

// Deletes the folder's contents and, with mode 1, the folder itself; true
// when the folder does not exist afterwards. Links inside (junctions,
// symbolic links) are removed as links, never entered.
bool DeleteFolderTree(FileSystem& files, const std::string& folder, int mode);

// Windows-style name mask match ("*", "?"), without regard to case.
bool MatchesMask(const std::string& name, const std::string& mask);

// One row of the junk cleaner's drive list.
struct DriveRow {
  char letter = 0;
  std::string caption;  // label + " (" + letter + ":)"
  std::string totalText;
  std::string freeText;
};
// Drives C: to Z: worth cleaning: removable, fixed, network and RAM drives;
// removable, network and RAM ones only with free space.
std::vector<DriveRow> BuildDriveList(FileSystem& files);

// Version string of a file's version resource (its first translation's
// FileVersion); empty when there is none.
std::string FileVersion(Shell& shell, const std::string& path);
// Portable readers of the version resource: the resource out of a PE file,
// and the FileVersion text out of the resource.
bool ExtractVersionResource(const std::string& peFile, std::string& block);
std::string FileVersionFromBlock(const std::string& block);

}  // namespace vl::sys
