// A small JSON reader for the browsers' settings files (Chromium's
// "Local State"): objects, arrays, texts (UTF-8, escapes decoded),
// numbers kept as their text, true, false, null.
#pragma once
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vl::evidence::json {

struct Value {
  enum class Kind { kNull, kBool, kNumber, kText, kArray, kObject } kind = Kind::kNull;
  std::string text;  // kText: the text; kNumber: as written; kBool: "true" / "false"
  std::vector<Value> items;                            // kArray
  std::vector<std::pair<std::string, Value>> members;  // kObject, in file order

  // The member of that name; nullptr when this is no object or has none.
  const Value* Find(const std::string& name) const;
};

// The whole text as one value; nullopt when it is not JSON (or nests
// deeper than a settings file ever does).
std::optional<Value> Parse(const std::string& text);

}  // namespace vl::evidence::json
