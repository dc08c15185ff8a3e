// Reading the registry editor's text format (REGEDIT4 and version 5, ANSI,
// UTF-8 or UTF-16LE, hex continuation lines, key and value deletion), applying
// it to a registry, and exporting a key tree the way the registry editor does.
// The sim backend's registry editor stand-in and the native fixtures use it,
// and a restore reads back with it what the editor should have written.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "sysaccess/files.h"
#include "sysaccess/registry.h"

namespace vl::sys {

struct RegFileOp {
  enum Kind { kKey, kDeleteKey, kSetValue, kDeleteValue };
  Kind kind = kKey;
  RegRoot root = 0;
  std::string key;
  std::string name;  // "" for the unnamed value ("@")
  RegData data;
};

struct RegFileContent {
  int version = 0;  // 4 (REGEDIT4) or 5
  std::vector<RegFileOp> ops;
  std::vector<std::string> errors;  // lines that could not be understood
};

// Text of a file: UTF-16LE with BOM, UTF-8 (with or without BOM), otherwise
// single bytes taken as Latin-1.
std::string DecodeRegFileText(const std::string& bytes);
// False when the text has no known header line.
bool ParseRegFile(const std::string& fileBytes, RegFileContent* out);
// Applies the operations; returns the number that failed.
int ApplyRegFile(RegistryApi& api, const RegFileContent& content, uint32_t mask);
// Lines of an export of `key` below `root` and everything under it (an empty
// key exports the whole root), header and blank lines included, as the
// registry editor writes them (long hex data wrapped with continuation lines).
std::vector<std::string> ExportRegTree(RegistryApi& api, RegRoot root, const std::string& key,
                                       uint32_t mask);
// An export made to be restored after the tree is deleted: it either holds
// every key and value of the tree, or says why not.
struct RegTreeExport {
  // Key line, value lines and a blank line per key; no file header.
  std::vector<std::string> lines;
  // Every key exported (path below the root, parents before their
  // children) with the number of values it held, so that a removal can
  // delete exactly these and notice what arrived since.
  struct Key {
    std::string path;
    uint32_t values = 0;
  };
  std::vector<Key> keys;
  bool found = false;   // the key exists
  std::string problem;  // empty when the export is whole
  bool whole() const { return found && problem.empty(); }
};
// Opens every key for reading only (the view bits of `mask` kept). A value
// that grows while it is read is read again; a key that cannot be opened or
// listed, a value that cannot be read, a name that cannot be written as one
// line (RegNameWritable) and a registry link each leave the export not whole.
RegTreeExport ExportRegTreeForBackup(RegistryApi& api, RegRoot root, const std::string& key, uint32_t mask);
// What an import left in the registry, read back against the file.
struct RegImportCheck {
  size_t entries = 0;  // keys, values and removals the file names
  size_t failed = 0;   // of those, the ones the registry does not show as written
  // The first failed ones, described ("[HKEY_...\\Key] is missing").
  std::vector<std::string> examples;
  bool ok() const { return failed == 0; }
};
// Reads back the state the file's operations leave (a later line wins over
// an earlier one, a removed key takes its subkeys and values with it): every
// key present, every value present with the recorded type and bytes, every
// removed key and value absent. A line the reader could not understand
// counts as failed too, since the editor may not have taken it either.
// `mask`'s view bits choose the view the editor writes (the native one).
RegImportCheck CheckRegImport(RegistryApi& api, const RegFileContent& content, uint32_t mask,
                              size_t maxExamples = 5);
// Whether the file is a whole export as the registry editor writes one: a
// known header followed by a key line, and a clean end. For UTF-16 (with its
// byte-order mark) that is an even byte count and text that ends with a line
// break after a blank line, the editor's last act, so an export cut short at
// any byte (mid-line, mid-character, mid-continuation) is not whole. Only the
// head and the tail are read, so a large export costs little. `why` says
// what is wrong.
bool IsWholeRegExport(FileSystem& files, const std::string& path, std::string* why);

// Lines of one value in export form ("@" for the unnamed value, wrapped).
std::vector<std::string> ExportValueLines(const std::string& name, const RegData& data);

}  // namespace vl::sys
