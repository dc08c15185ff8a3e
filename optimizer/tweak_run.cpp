// ApplyTweaks: one backed-up change after the other.
#include "optimizer/tweak_run.h"

#include <set>

#include "backup/registry_change.h"
#include "sysaccess/text.h"

namespace vl::optimizer {

namespace {

std::string Bytes(const Tweak& t) {
  switch (t.op) {
    case Tweak::kSetSz: return sys::Utf8ToUtf16Bytes(t.text) + std::string(2, '\0');
    case Tweak::kSetDword: {
      std::string b;
      for (int i = 0; i < 4; ++i) b.push_back(static_cast<char>((t.dword >> (8 * i)) & 0xFF));
      return b;
    }
    case Tweak::kSetBinary: return t.bytes;
    default: return {};
  }
}

uint32_t TypeOf(const Tweak& t) {
  switch (t.op) {
    case Tweak::kSetSz: return sys::kRegSz;
    case Tweak::kSetBinary: return sys::kRegBinary;
    default: return sys::kRegDword;
  }
}

std::string Where(const Tweak& t) {
  std::string s = sys::RootLongName(t.root) + "\\" + t.key;
  if (!t.name.empty()) s += "\\" + t.name;
  return s;
}

}  // namespace

TweakOutcome ApplyTweaks(sys::Platform& platform, const std::vector<Tweak>& tweaks, uint32_t access,
                         std::function<std::string()> backupPath) {
  TweakOutcome out;
  backup::RegistryChange change(platform, std::move(backupPath));
  sys::Registry reg(*platform.registry);
  // Values already recorded in this run. A value written twice (the network
  // job's TcpTimedWaitDelay) keeps its first record only: a second one would
  // hold the run's own data, and the restore, which reads top to bottom,
  // would leave that in place.
  std::set<std::string> recorded;
  for (const Tweak& t : tweaks) {
    if (!reg.KeyExists(t.root, t.key, access)) {
      ++out.skipped;
      continue;
    }
    bool ok = false;
    switch (t.op) {
      case Tweak::kSetSz:
      case Tweak::kSetDword:
      case Tweak::kSetBinary: {
        const std::string id = std::to_string(t.root) + "\\" + sys::ToLowerText(t.key) + "\\" + sys::ToLowerText(t.name);
        if (recorded.count(id)) {
          sys::ScopedKey k(*platform.registry, t.root, t.key, access);
          ok = k.ok() && platform.registry->SetValue(k.get(), t.name, TypeOf(t), Bytes(t)) == sys::kErrSuccess;
          if (!ok) out.refused.push_back(Where(t) + ": the registry refused to set the value");
          if (ok) ++out.made;
          continue;
        }
        ok = change.SetValue(t.root, t.key, t.name, TypeOf(t), Bytes(t), access);
        if (ok) recorded.insert(id);
        break;
      }
      case Tweak::kDeleteValue:
        if (!reg.ValueExistsExact(t.root, t.key, t.name, access)) {
          ++out.skipped;
          continue;
        }
        ok = change.DeleteValue(t.root, t.key, t.name, access);
        break;
      case Tweak::kDeleteTree:
        ok = change.DeleteKeyTree(t.root, t.key, access);
        break;
    }
    if (ok) {
      ++out.made;
    } else if (change.backupFailed()) {
      out.backupFailed = true;
      out.backupProblem = change.problem();
      break;
    } else if (change.problem() == "the key no longer exists" || change.problem() == "the value no longer exists") {
      ++out.skipped;
    } else {
      out.refused.push_back(Where(t) + ": " + change.problem());
    }
  }
  out.backupFile = change.backupFile();
  return out;
}

}  // namespace vl::optimizer
