// Just enough JSON for the command line's output: quoted strings (always
// valid UTF-8) and a writer that builds objects and arrays in order.
#pragma once
#include <cstdint>
#include <string>

namespace vl::cli {

// `text` as a JSON string with its quotes; bytes that are no valid UTF-8
// become U+FFFD, so the document always parses.
std::string JsonQuote(const std::string& text);

// Appends members and elements with the commas between them.
class JsonWriter {
 public:
  JsonWriter& BeginObject(const char* key = nullptr) { return Open(key, '{'); }
  JsonWriter& EndObject() { return Close('}'); }
  JsonWriter& BeginArray(const char* key = nullptr) { return Open(key, '['); }
  JsonWriter& EndArray() { return Close(']'); }
  JsonWriter& String(const char* key, const std::string& value) { return Raw(key, JsonQuote(value)); }
  JsonWriter& Number(const char* key, int64_t value) { return Raw(key, std::to_string(value)); }
  JsonWriter& Unsigned(const char* key, uint64_t value) { return Raw(key, std::to_string(value)); }
  JsonWriter& Bool(const char* key, bool value) { return Raw(key, value ? "true" : "false"); }
  // A value that is JSON already.
  JsonWriter& Raw(const char* key, const std::string& json);
  const std::string& text() const { return out_; }

 private:
  JsonWriter& Open(const char* key, char bracket);
  JsonWriter& Close(char bracket);
  void Separate(const char* key);
  std::string out_;
  bool first_ = true;
};

}  // namespace vl::cli
