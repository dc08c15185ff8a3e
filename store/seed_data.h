// The rows data.db is seeded with: evidence types and junk file masks. The
// evidence tree and the junk cleaner reuse them as their built-in captions.
#pragma once

#include <array>

namespace vl::store {

struct EvidenceSeed {
  int no;            // hundreds digit = group
  const char* name;  // caption in the evidence tree
  int father;        // group 1 to 4
  int imgidx = 5;    // picture of the tree node
};

struct JunkSeed {
  const char* mask;         // column fileext
  const char* description;  // column filedesc
};

// In insertion order; numbers 207 and 302 are not used.
extern const std::array<EvidenceSeed, 52> kEvidenceSeeds;
extern const std::array<JunkSeed, 44> kJunkSeeds;

// Types added after the first release: the browsers and Windows of today.
// They reach every data.db, also one made before them (schema.h).
extern const std::array<EvidenceSeed, 26> kAddedEvidenceTypes;

}  // namespace vl::store
