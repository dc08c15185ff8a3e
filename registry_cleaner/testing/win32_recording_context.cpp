// Win32RecordingContext: the check fixtures on the real machine.
#include "registry_cleaner/testing/win32_recording_context.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "registry_cleaner/file_exists_wow64.h"
#include "sysaccess/reg_file.h"
#include "sysaccess/shell_folders.h"
#include "sysaccess/text.h"

namespace vl::registry::testing {
namespace {

// The regedit import writes the native view; cleanup must look there too.
constexpr uint32_t kNative = sys::kMaskAll64;

std::string Parent(const std::string& path) {
  size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

bool HasTestMarker(const std::string& text) {
  std::string l = sys::AsciiLower(text);
  return l.find("vltest") != std::string::npos || l.find("{7e57") != std::string::npos;
}

Win32RecordingContext::Win32RecordingContext()
    : platform_(sys::MakeWin32Platform()),
      registry_(*platform_->platform().registry),
      bitness_(sys::ProcessBitness(*platform_->platform().system)),
      systemFolder_(sys::SpecialFolderPath(*platform_->platform().shell, 25)) {}

Win32RecordingContext::~Win32RecordingContext() { CleanUp(); }

void Win32RecordingContext::AddProblem(uint32_t root, const std::string& keyPath, uint32_t access,
                                       uint16_t code, const std::string& data, const std::string& valueName,
                                       bool unnamedValue) {
  problems.push_back({root, keyPath, valueName, data, code, access, unnamedValue});
}

bool Win32RecordingContext::FileExistsWow64(const std::string& path, int mode) {
  return registry::FileExistsWow64(*platform().files, bitness_, systemFolder_, path, mode);
}

void Win32RecordingContext::LoadReg(const std::string& regText) {
  sys::RegFileContent content;
  ASSERT_TRUE(sys::ParseRegFile(regText, &content));
  ASSERT_TRUE(content.errors.empty()) << content.errors.front();
  for (const sys::RegFileOp& op : content.ops) {
    ASSERT_TRUE(op.kind == sys::RegFileOp::kKey || op.kind == sys::RegFileOp::kSetValue) << op.key;
    // The outermost part of the path that carries the marker is what gets removed.
    std::string prefix;
    bool marked = false;
    size_t start = 0;
    while (start <= op.key.size()) {
      size_t end = op.key.find('\\', start);
      if (end == std::string::npos) end = op.key.size();
      prefix = op.key.substr(0, end);
      if (HasTestMarker(op.key.substr(start, end - start))) {
        marked = true;
        break;
      }
      start = end + 1;
    }
    if (marked) {
      bool known = std::any_of(keys_.begin(), keys_.end(), [&](const PlantedKey& k) {
        return k.root == op.root && sys::AsciiLower(k.key) == sys::AsciiLower(prefix);
      });
      if (!known) {
        // Shared parents the import creates are removed again when left empty.
        for (std::string p = Parent(prefix); !p.empty(); p = Parent(p)) {
          if (registry_.KeyExists(op.root, p, kNative)) break;
          keys_.push_back({op.root, p});
        }
        keys_.push_back({op.root, prefix});
      }
    } else if (op.kind == sys::RegFileOp::kSetValue) {
      ASSERT_TRUE(HasTestMarker(op.name)) << "a fixture may not set " << op.key << "\\" << op.name;
      ASSERT_FALSE(registry_.ValueExists(op.root, op.key, op.name, kNative)) << op.name;
      for (std::string p = op.key; !p.empty(); p = Parent(p)) {
        if (registry_.KeyExists(op.root, p, kNative)) break;
        keys_.push_back({op.root, p});
      }
      values_.push_back({op.root, op.key, op.name});
    }
  }

  // Version 5 text goes in as UTF-16 with a byte-order mark, as the editor writes it.
  std::string bytes = regText.rfind("REGEDIT4", 0) == 0
                          ? regText
                          : std::string("\xFF\xFE", 2) + sys::Utf8ToUtf16Bytes(regText);
  if (!bytes.empty() && bytes.size() >= 2 && bytes[bytes.size() - 2] == '\0' && bytes.back() == '\0')
    bytes.resize(bytes.size() - 2);  // no terminating zero in the file
  std::string temp = platform().system->EnvironmentVariable("TEMP");
  ASSERT_FALSE(temp.empty());
  std::string file = temp + "\\vl_fixture_" + std::to_string(++regFiles_) + ".reg";
  ASSERT_TRUE(platform().files->WriteFileBytes(file, bytes)) << file;
  bool ran = platform().system->RunRegistryEditor("/s \"" + file + "\"", 30000);
  platform().files->RemoveFile(file);
  ASSERT_TRUE(ran);
  for (const sys::RegFileOp& op : content.ops) {
    if (op.kind == sys::RegFileOp::kSetValue)
      ASSERT_TRUE(registry_.ValueExists(op.root, op.key, op.name, kNative)) << op.key << "\\" << op.name;
    else
      ASSERT_TRUE(registry_.KeyExists(op.root, op.key, kNative)) << op.key;
  }
}

void Win32RecordingContext::AddFile(const std::string& path, const std::string& data) {
  std::vector<std::string> missing;
  for (std::string p = Parent(path); p.size() > 3; p = Parent(p)) {
    if (platform().files->DirectoryExists(p)) break;
    missing.push_back(p);
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    ASSERT_TRUE(platform().files->CreateFolder(*it)) << *it;
    folders_.push_back(*it);
  }
  ASSERT_FALSE(platform().files->FileExists(path)) << "already there: " << path;
  ASSERT_TRUE(platform().files->WriteFileBytes(path, data)) << path;
  files_.push_back(path);
}

void Win32RecordingContext::AddNativeFile(const std::string& path, const std::string& data) {
  sys::ScopedFsRedirectionOff off(*platform().system);
  ASSERT_TRUE(platform().files->DirectoryExists(Parent(path))) << path;
  ASSERT_FALSE(platform().files->FileExists(path)) << "already there: " << path;
  ASSERT_TRUE(platform().files->WriteFileBytes(path, data)) << path;
  nativeFiles_.push_back(path);
}

const std::vector<TScanRegistry>& Win32RecordingContext::Run(int category) {
  problems.clear();
  progress.clear();
  RunCategoryCheck(category, *this);
  return problems;
}

void Win32RecordingContext::CleanUp() {
  for (const PlantedValue& v : values_) registry_.DeleteValue(v.root, v.key, v.name, kNative);
  // Deepest first: marked keys go whole, created parents only when empty.
  std::vector<PlantedKey> keys = keys_;
  std::stable_sort(keys.begin(), keys.end(),
                   [](const PlantedKey& a, const PlantedKey& b) { return a.key.size() > b.key.size(); });
  for (const PlantedKey& k : keys) {
    bool marked = HasTestMarker(k.key.substr(k.key.find_last_of('\\') + 1));
    if (marked || registry_.KeyIsEmpty(k.root, k.key, kNative)) registry_.DeleteKey(k.root, k.key, kNative);
  }
  for (const std::string& f : files_) platform().files->RemoveFile(f);
  {
    sys::ScopedFsRedirectionOff off(*platform().system);
    for (const std::string& f : nativeFiles_) platform().files->RemoveFile(f);
  }
  for (auto it = folders_.rbegin(); it != folders_.rend(); ++it) platform().files->RemoveFolder(*it);
  values_.clear();
  keys_.clear();
  files_.clear();
  nativeFiles_.clear();
  folders_.clear();
}

}  // namespace vl::registry::testing
