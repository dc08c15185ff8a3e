// Junk masks: a mask matches a whole file name; "*" any run, "?" one
// character, "[set]", "[a-z]", "[!set]"; a to z match either case; every
// other character is itself. Compiled once per scan, tested per file.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vl::junk {

// Why a mask cannot be used, in words for the user; empty when it can.
std::string MaskError(const std::string& mask);

// Why a valid mask is too wide to be a junk type, in words for the user;
// empty when it is not. Decided from the compiled mask: one that matches
// every file name ("*", "?*", "*?", "[!/]*") or every name with an extension
// of some length ("*.*", "*.???", "*.?*") would list the whole drive.
// Empty for invalid masks (see MaskError).
std::string MaskBreadthError(const std::string& mask);

class MaskList {
 public:
  // Compiles the valid masks in order; invalid ones are left out (callers
  // check MaskError first and tell the user).
  explicit MaskList(const std::vector<std::string>& masks);
  MaskList(const MaskList&) = delete;
  MaskList& operator=(const MaskList&) = delete;
  ~MaskList();

  // Index of the first mask that matches `name` (UTF-8), or -1.
  int FirstMatch(const std::string& name) const;
  bool empty() const { return masks_.empty(); }
  // The text of compiled mask `index`.
  const std::string& Text(int index) const { return texts_[static_cast<size_t>(index)]; }
  const std::vector<std::string>& texts() const { return texts_; }
  size_t size() const { return masks_.size(); }

 private:
  struct Compiled;
  std::vector<std::unique_ptr<Compiled>> masks_;
  std::vector<std::string> texts_;
  // The name being tested, as lower-case code points (reused per call).
  mutable std::vector<char32_t> name_;
};

}  // namespace vl::junk
