// The registry cleaner's records: categories and their captions, problem
// codes and texts, one problem (TScanRegistry), one category of a scan
// (TSearchRegistry), one result row (TSearchRegResult), one ignore entry.
#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "app/main_form.h"

namespace vl::registry {

constexpr int kCategoryCount = 15;
enum Category : int {
  kActiveX = 0, kAppPaths = 1, kEmptyKeys = 2, kFileExtensions = 3, kFonts = 4, kHelp = 5,
  kFileAssociations = 6, kShortcuts = 7, kMru = 8, kSharedDlls = 9, kSounds = 10, kStartMenu = 11,
  kStartup = 12, kServices = 13, kUninstall = 14,
};

// Captions of the fifteen categories, then the four evidence groups.
extern const std::array<const char*, 19> kCategoryCaptions;
// The caption of a registry category; empty outside 0 to 14.
std::string CategoryCaption(int category);

// Problem codes and the texts the details panel and the export show.
enum ProblemCode : uint16_t {
  kValueNotUsed = 101, kInvalidServer = 102, kInvalidTypeLib = 103, kInvalidAppId = 104,
  kInvalidProxyStub = 105, kNoData = 106, kEmptyKey = 107, kHistory = 108, kInvalidImagePath = 109,
  kInvalidPath = 201, kInvalidProgId = 202, kEmptyShellKey = 203, kEmptyShellCommand = 204,
  kInvalidCommand = 205, kErrorNoData = 206,
};
// Empty for an unknown code.
std::string ProblemText(int code);

struct TScanRegistry {
  uint32_t root = 0;
  std::string keyPath;
  std::string valueName;
  std::string data;
  uint16_t code = 0;
  uint32_t access = 0;
  // The problem is the key's unnamed value (valueName then shows
  // "(Default)", which a real value may also be named).
  bool unnamedValue = false;
};

// Written by its own scan worker only; the window reads `count` while the
// scan runs (hence atomic) and `problems` once it has ended.
struct TSearchRegistry : ScanRecord {
  explicit TSearchRegistry(int16_t c) : category(c) {}
  int16_t category = 0;
  std::atomic<int32_t> count{0};
  std::vector<TScanRegistry> problems;
};

struct TSearchRegResult {
  bool checked = true;
  int32_t rowKind = 0;  // 0 category row, 1 problem row
  int16_t category = 0;
  int32_t count = 0;
  int32_t group = 0;
  uint32_t root = 0;
  std::string keyPath, valueName, data;
  uint32_t code = 0;
  uint32_t access = 0;
};

struct TIgnore {
  int64_t id = 0;
  uint32_t root = 0;
  std::string keyPath;
  std::string valueName;
  int32_t category = 0;
  bool checked = false;
};

}  // namespace vl::registry
