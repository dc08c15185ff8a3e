// TEvidenceThread: the evidence cleaner's worker. Job 1 scans one evidence
// type into its record, job 2 removes the selected items of every record.
// One job per thread; it frees itself when done and ends with its
// main-thread step on every path.
#pragma once
#include <string>

#include "evidence_cleaner/evidence_context.h"
#include "evidence_cleaner/removal.h"
#include "ui/jobs.h"

namespace vl::evidence {

class EvidenceCleaner;

class TEvidenceThread : public Worker, private EvidenceContext, private RemovalContext {
 public:
  enum Job { kScan = 1, kClean = 2 };

  // Scan: (kScan, wow64, type name, type number, the type's record, made
  // before the start). Clean: (kClean, wow64, "", 0, nullptr).
  static void Start(EvidenceCleaner& cleaner, int job, bool wow64, std::string typeName, int typeNo,
                    TSearchEvidence* record);

 protected:
  void Execute() override;
  bool HasEndStep() const override { return true; }
  void EndStep() override;

 private:
  void Append(int16_t kind, int16_t action, uint64_t key, const std::string& path, const std::string& name,
              const std::string& value, int32_t source);
  TEvidenceThread(EvidenceCleaner& cleaner, int job, bool wow64, std::string typeName, int typeNo,
                  TSearchEvidence* record);
  // What the collectors and the removal see.
  sys::Platform& platform() override;
  uint32_t access() const override;
  int32_t typeNo() const override { return typeNo_; }
  bool Stopped() const override;
  void ShowHint(const std::string& text) override;
  void AddItem(int16_t kind, int16_t action, uint64_t key, const std::string& path, const std::string& name,
               const std::string& value) override;
  int32_t AddSource(const EvidenceSource& source) override;
  void AddRow(int32_t source, int16_t kind, uint64_t key, const std::string& path, const std::string& name,
              const std::string& value) override;

  EvidenceCleaner& cleaner_;
  const int job_;
  const bool wow64_;
  const std::string typeName_;
  const int typeNo_;
  TSearchEvidence* const record_;
};

}  // namespace vl::evidence
