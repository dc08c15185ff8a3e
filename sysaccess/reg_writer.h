// The registry editor's text format (version 5) as written by our backups:
// one key line per record, one value line per value, and the file encoding
// (UTF-16LE with a byte-order mark, CR LF after every line).
#pragma once
#include <string>
#include <vector>

#include "sysaccess/files.h"
#include "sysaccess/registry.h"

namespace vl::sys {

inline constexpr const char* kRegHeaderV5 = "Windows Registry Editor Version 5.00";

// "[HKEY_LOCAL_MACHINE\key]"; a root other than the four scanned ones gives an
// empty root name.
std::string RegKeyLine(RegRoot root, const std::string& key);
// Backslashes and double quotes escaped, between double quotes.
std::string QuoteRegString(const std::string& text);
// True when the key or value name can stand in one line of a backup and the
// registry editor reads it back as the same name: no line break, no NUL, no
// lone surrogate. A name that fails this is neither backed up nor changed.
bool RegNameWritable(const std::string& name);
// "name"=... for one value; empty for a type the format has no line for.
std::string RegValueLine(const std::string& name, const RegData& data);
// The value part after "=" ("dword:00000100", "hex:01,02" ...); empty when
// the type has none.
std::string RegValuePart(const RegData& data);
// Comma-separated uppercase hex bytes.
std::string HexBytes(const std::string& bytes);

// File bytes of a list of lines: UTF-16LE with BOM, CR LF after every line.
std::string EncodeRegFile(const std::vector<std::string>& lines);
// Writes the file through the file system; false when it cannot be written.
bool SaveRegFile(FileSystem& files, const std::string& path, const std::vector<std::string>& lines);

}  // namespace vl::sys
