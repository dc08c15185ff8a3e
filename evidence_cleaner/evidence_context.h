// What a collector sees while it runs: the machine, the registry access
// mask of its worker, its type number, the stop flag, the hint line and the
// record it adds items to. The scan worker provides the real one; tests of
// the collectors record the items.
#pragma once
#include <cstdint>
#include <string>

#include "evidence_cleaner/evidence_types.h"
#include "sysaccess/platform.h"

namespace vl::evidence {

class EvidenceContext {
 public:
  virtual ~EvidenceContext() = default;

  virtual sys::Platform& platform() = 0;
  // 0xF013F for a WOW64 process, else 0xF003F: every key opens with it.
  virtual uint32_t access() const = 0;
  // The type the worker scans.
  virtual int32_t typeNo() const = 0;
  // Folder walks test this before each entry.
  virtual bool Stopped() const = 0;
  // The hint line: "Scanning <item>".
  virtual void ShowHint(const std::string& text) = 0;
  // Appends one item, selected, to the type's record.
  virtual void AddItem(int16_t kind, int16_t action, uint64_t key, const std::string& path, const std::string& name,
                       const std::string& value) = 0;
  // Names the browser database folder the next rows come from; returns the
  // index AddRow takes.
  virtual int32_t AddSource(const EvidenceSource& source) = 0;
  // Appends one item found in source `source`, selected: a browser row
  // (kind 5) or a file of the profile.
  virtual void AddRow(int32_t source, int16_t kind, uint64_t key, const std::string& path, const std::string& name,
                      const std::string& value) = 0;
};

}  // namespace vl::evidence
