// A collector's context for tests: the simulated machine, and the items and
// hints recorded in order.
#pragma once
#include <string>
#include <vector>

#include "evidence_cleaner/evidence_context.h"
#include "evidence_cleaner/evidence_types.h"
#include "evidence_cleaner/removal.h"
#include "sysaccess/sim/sim_platform.h"

namespace vl::evidence::testing {

class RecordingContext : public EvidenceContext, public RemovalContext {
 public:
  RecordingContext(sys::SimPlatform& sim, int32_t type) : sim_(sim), type_(type) {}

  sys::Platform& platform() override { return sim_.platform(); }
  uint32_t access() const override { return sys::kMaskAll; }
  int32_t typeNo() const override { return type_; }
  bool Stopped() const override { return stopAfterItems >= 0 && static_cast<int>(items.size()) >= stopAfterItems; }
  void ShowHint(const std::string& text) override { hints.push_back(text); }
  void AddItem(int16_t kind, int16_t action, uint64_t key, const std::string& path, const std::string& name,
               const std::string& value) override;

  // The paths (or "path\name" for values) of the items, in order.
  std::vector<std::string> Paths() const;

  std::vector<TScanEvidence> items;
  std::vector<std::string> hints;
  int stopAfterItems = -1;  // Stopped() once this many items are in

 private:
  sys::SimPlatform& sim_;
  int32_t type_;
};

}  // namespace vl::evidence::testing
