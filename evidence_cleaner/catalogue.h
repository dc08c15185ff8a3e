// Which collector finds the traces of which evidence type, and where.
#pragma once
#include <cstdint>

#include "evidence_cleaner/evidence_context.h"

namespace vl::evidence {

// Runs the collectors of the context's type; a number outside the
// catalogue collects nothing.
void CollectType(EvidenceContext& c);

// Whether the catalogue knows the type.
bool KnownType(int32_t typeNo);

}  // namespace vl::evidence
