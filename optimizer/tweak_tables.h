// The four tweak profiles as data: the captions of their radio groups and
// option lists, and the registry changes a run makes for a profile and a set
// of ticked options, in the order they are made. Nothing here reads the
// registry; what is written is fixed.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "sysaccess/registry.h"

namespace vl::optimizer {

// Job codes of the profile runs (TOptimizeThread).
enum ProfileJob : int { kNetworkJob = 1, kDiskCacheJob = 2, kDesktopJob = 3, kFileSystemJob = 4 };

// One registry change of a run.
struct Tweak {
  enum Op { kSetSz, kSetDword, kSetBinary, kDeleteValue, kDeleteTree };
  Op op = kSetDword;
  sys::RegRoot root = 0;
  std::string key;
  std::string name;   // empty for kDeleteTree
  std::string text;   // kSetSz
  uint32_t dword = 0; // kSetDword
  std::string bytes;  // kSetBinary
};

// The changes of one run, top to bottom: the network job's base block
// first, then the ticked options in bit order. `profile` is the radio
// group's index; `options` has bit i set for option i.
std::vector<Tweak> ProfileTweaks(int job, int profile, uint32_t options);

// --- captions -------------------------------------------------------------------
const std::vector<std::string>& NetworkConnections();  // radgNetwork, 7 items
const std::vector<std::string>& NetworkOptions();      // chklstNetwork, 5 items
const std::vector<std::string>& ComputerTypes();       // radgDiskCache, 5 items
std::vector<std::string> DiskCacheOptions(int profile);  // chklstDiskCache, 8 items
const std::vector<std::string>& DesktopProfiles();     // radgDesktop, 2 items
// lstvDesktop: the twelve rows' captions and the value shown per profile.
struct DesktopRow {
  const char* caption;
  const char* shown[2];
};
const std::vector<DesktopRow>& DesktopRows();
const std::vector<std::string>& FileSystemProfiles();  // radgFileSystem, 2 items
// The six options every profile has; profile 1 adds a seventh.
std::vector<std::string> FileSystemOptions(int profile);
extern const char kContiguousAllocationOption[];

}  // namespace vl::optimizer
