// Files that belong to a database set: never listed, whatever the masks,
// since removing one can corrupt the database it belongs to.
#pragma once
#include <string>

namespace vl::junk {

// Names the storage engine of Windows' own databases (Windows Update's
// DataStore, Windows Search, ...) gives the files around a database, by
// the name alone (lower or upper case alike):
//   - its own extensions, in any folder: .jtx (logs), .jcp (checkpoints),
//     .jrs (reserved logs), .jfm (flush maps), and .edb (the databases);
//   - the legacy names with a base of three characters: <base>.log (the
//     current log), <base>XXXXX.log and <base>XXXXXXXX.log (older logs,
//     the generation in hexadecimal), <base>tmp.log, <base>.chk (the
//     checkpoint), <base>resXXXXX.jrs; for the bases the system uses in
//     any folder: "edb" (the engine's default) and "mss" (Windows Search);
//   - tmp.edb, the engine's temporary database.
bool IsEngineFileName(const std::string& name);

// A .log or .chk file (or res1.log, res2.log) that in a folder holding an
// .edb file belongs to that database set.
bool IsEngineLogOrCheckpoint(const std::string& name);

// Side files of single-file databases: "<db>-journal", "<db>-wal",
// "<db>-shm" (SQLite), "<base>.ldb" beside "<base>.mdb", "<base>.laccdb"
// beside "<base>.accdb". Returns the database's name the side file belongs
// to, empty when `name` is no side file.
std::string DatabaseOfSideFile(const std::string& name);

// Whether an entry of this name makes its folder a database folder (ends in
// ".edb"), or can be a side file; cheap, asked for every file entry.
bool EndsWithEdb(const std::string& name);
bool MayBeSideFile(const std::string& name);

}  // namespace vl::junk
