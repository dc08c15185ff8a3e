// The general collectors every evidence type is built from: the registry
// collector in its three modes, the folder collector (one level), the file
// tree collector (every file below a folder), the History file collector,
// and the two collectors with a branch per installed version (Office,
// Acrobat Reader). Links (junctions, symbolic links) are never listed,
// entered or followed.
#pragma once
#include <string>
#include <vector>

#include "evidence_cleaner/evidence_context.h"
#include "sysaccess/registry.h"

namespace vl::evidence {

enum class RegMode { kSubKeys, kValues, kSingleValue };

// kSubKeys: one key item per direct subkey. kValues: one value item per
// value, with its data as trimmed text when `withData`. kSingleValue: one
// item (to be blanked) for `valueName` when it holds text. A missing key
// gives nothing.
void CollectRegistry(EvidenceContext& c, sys::RegRoot root, const std::string& key, RegMode mode, bool withData,
                     const std::string& valueName = {});

// Every file and folder at the top level of `folder`, or, with `fileName`,
// that one file when it exists. The cookie (103) and history (105) folders
// keep the system's own entries.
void CollectFolder(EvidenceContext& c, const std::string& folder, const std::string& fileName = {});

// Every file below `folder`, depth first; `filter` is "*.*" or an extension
// with its dot (".url"), compared in lower case. Folders are never items.
void CollectFileTree(EvidenceContext& c, const std::string& folder, const std::string& filter);

// The files of `folder` whose names start with "History" (the database and
// its journal files).
void CollectHistoryFiles(EvidenceContext& c, const std::string& folder);

// One branch per Office version below HKCU\Software\Microsoft\Office.
void CollectOffice(EvidenceContext& c);
// Office 2013 and later: the File MRU and Place MRU values of each
// application of each version, directly and below User MRU\<id>\.
void CollectOfficeMru(EvidenceContext& c);
// The recent file keys of each Acrobat Reader version.
void CollectAcrobat(EvidenceContext& c);

// Single backslashes (a leading "\\" of a network path kept) and a final "\".
std::string NormalizeFolder(const std::string& folder);

// Registry reading without the fixed buffers of the general helpers: names
// and data of any length are read whole.
std::vector<std::string> SubKeyNames(sys::RegistryApi& api, sys::RegRoot root, const std::string& key,
                                     uint32_t access);
std::vector<std::string> ValueNames(sys::RegistryApi& api, sys::RegRoot root, const std::string& key,
                                    uint32_t access);
// The value's data as text (text types as they are, other data as single
// bytes up to the first zero); false when the value cannot be read.
bool ValueText(sys::RegistryApi& api, sys::RegRoot root, const std::string& key, const std::string& name,
               uint32_t access, std::string* text);

}  // namespace vl::evidence
