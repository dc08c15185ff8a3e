// TEvidenceThread: collectors and removal on the worker's thread, their
// progress shown through the main window.
#include "evidence_cleaner/evidence_thread.h"

#include "evidence_cleaner/catalogue.h"
#include "evidence_cleaner/evidence_cleaner.h"

namespace vl::evidence {

TEvidenceThread::TEvidenceThread(EvidenceCleaner& cleaner, int job, bool wow64, std::string typeName, int typeNo,
                                 TSearchEvidence* record)
    : Worker(cleaner.main().runner()),
      cleaner_(cleaner),
      job_(job),
      wow64_(wow64),
      typeName_(std::move(typeName)),
      typeNo_(typeNo),
      record_(record) {}

void TEvidenceThread::Start(EvidenceCleaner& cleaner, int job, bool wow64, std::string typeName, int typeNo,
                            TSearchEvidence* record) {
  Worker::Start(cleaner.main().runner(), std::unique_ptr<Worker>(new TEvidenceThread(
                                             cleaner, job, wow64, std::move(typeName), typeNo, record)));
}

sys::Platform& TEvidenceThread::platform() { return cleaner_.main().platform(); }

uint32_t TEvidenceThread::access() const { return sys::AccessMask(wow64_); }

bool TEvidenceThread::Stopped() const { return cleaner_.main().stopFlag.load() == 1; }

void TEvidenceThread::Execute() {
  if (job_ == kScan) {
    if (!record_) return;
    // What could not be read is said at the scan's end; the items found
    // before stay listed.
    try {
      CollectType(*this);
    } catch (const std::exception& e) {
      record_->notScanned = e.what();
    }
  } else if (job_ == kClean) {
    // The list keeps its shape while the worker runs.
    std::vector<TSearchEvidence*> records;
    Synchronize([&] { records = EvidenceRecords(cleaner_.main()); });
    RemoveEvidence(*this, records);
  }
}

void TEvidenceThread::ShowHint(const std::string& text) {
  // Coalesced: all workers share the one hint line, which shows the newest.
  EvidenceCleaner& cleaner = cleaner_;
  Post(&cleaner, [&cleaner, text] { cleaner.ShowHint(text); });
}

void TEvidenceThread::AddItem(int16_t kind, int16_t action, uint64_t key, const std::string& path,
                              const std::string& name, const std::string& value) {
  Append(kind, action, key, path, name, value, -1);
}

void TEvidenceThread::Append(int16_t kind, int16_t action, uint64_t key, const std::string& path,
                             const std::string& name, const std::string& value, int32_t source) {
  TScanEvidence item;
  item.key = key;
  item.path = path;
  item.name = name;
  item.value = value;
  item.kind = kind;
  item.action = action;
  item.source = source;
  record_->items.push_back(std::move(item));
  record_->itemCount.fetch_add(1);
  EvidenceCleaner& cleaner = cleaner_;
  Post(&cleaner.scanListKey, [&cleaner] { cleaner.RepaintScanList(); });
}

int32_t TEvidenceThread::AddSource(const EvidenceSource& source) { return AddSourceTo(record_->sources, source); }

void TEvidenceThread::AddRow(int32_t source, int16_t kind, uint64_t key, const std::string& path,
                             const std::string& name, const std::string& value) {
  Append(kind, kDeleteItem, key, path, name, value, source);
}

void TEvidenceThread::EndStep() {
  if (job_ == kScan) {
    // Counted down here, on every path, so that exactly one worker finds zero.
    if (cleaner_.main().runningScans.fetch_sub(1) - 1 <= 0) cleaner_.ScanEnded();
    else cleaner_.RepaintScanList();
  } else if (job_ == kClean) {
    cleaner_.CleanEnded();
  }
}

}  // namespace vl::evidence
