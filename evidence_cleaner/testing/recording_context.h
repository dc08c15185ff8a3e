// A collector's context for tests: the test's machine (simulated, or the
// real one under Wine), and the items and hints recorded in order.
#pragma once
#include <string>
#include <vector>

#include "evidence_cleaner/evidence_context.h"
#include "evidence_cleaner/evidence_types.h"
#include "evidence_cleaner/removal.h"
#include "sysaccess/platform.h"
#include "sysaccess/registry.h"

namespace vl::evidence::testing {

class RecordingContext : public EvidenceContext, public RemovalContext {
 public:
  RecordingContext(sys::Platform& platform, int32_t type, uint32_t access = sys::kMaskAll)
      : platform_(platform), type_(type), access_(access) {}

  sys::Platform& platform() override { return platform_; }
  uint32_t access() const override { return access_; }
  int32_t typeNo() const override { return type_; }
  bool Stopped() const override { return stopAfterItems >= 0 && static_cast<int>(items.size()) >= stopAfterItems; }
  void ShowHint(const std::string& text) override { hints.push_back(text); }
  void AddItem(int16_t kind, int16_t action, uint64_t key, const std::string& path, const std::string& name,
               const std::string& value) override;
  int32_t AddSource(const EvidenceSource& source) override { return AddSourceTo(sources, source); }
  void AddRow(int32_t source, int16_t kind, uint64_t key, const std::string& path, const std::string& name,
              const std::string& value) override {
    AddItem(kind, kDeleteItem, key, path, name, value);
    items.back().source = source;
  }
  // Moves what was found into a record, as the scan worker fills it.
  void MoveInto(TSearchEvidence& record) {
    record.items = std::move(items);
    record.sources = std::move(sources);
    record.itemCount = static_cast<int32_t>(record.items.size());
  }

  // The paths (or "path\name" for values) of the items, in order.
  std::vector<std::string> Paths() const;

  std::vector<TScanEvidence> items;
  std::vector<EvidenceSource> sources;
  std::vector<std::string> hints;
  int stopAfterItems = -1;  // Stopped() once this many items are in

 private:
  sys::Platform& platform_;
  int32_t type_;
  uint32_t access_;
};

}  // namespace vl::evidence::testing
