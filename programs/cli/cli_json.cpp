// JSON strings and the writer.
#include "programs/cli/cli_json.h"

namespace vl::cli {

namespace {

// Length of the valid UTF-8 sequence starting at `i`; 0 when none is.
size_t Utf8Length(const std::string& s, size_t i) {
  const auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char c = b(i);
  size_t n;
  uint32_t cp;
  if (c < 0x80) return 1;
  if ((c & 0xE0) == 0xC0) n = 2, cp = c & 0x1F;
  else if ((c & 0xF0) == 0xE0) n = 3, cp = c & 0x0F;
  else if ((c & 0xF8) == 0xF0) n = 4, cp = c & 0x07;
  else return 0;
  if (i + n > s.size()) return 0;
  for (size_t k = 1; k < n; ++k) {
    if ((b(i + k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b(i + k) & 0x3F);
  }
  // Overlong forms, surrogates and values beyond Unicode are not text.
  if ((n == 2 && cp < 0x80) || (n == 3 && cp < 0x800) || (n == 4 && cp < 0x10000) || cp > 0x10FFFF ||
      (cp >= 0xD800 && cp <= 0xDFFF))
    return 0;
  return n;
}

}  // namespace

std::string JsonQuote(const std::string& text) {
  std::string out = "\"";
  out.reserve(text.size() + 2);
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const size_t n = Utf8Length(text, i);
    if (n == 0) {
      out += "\\ufffd";
      ++i;
      continue;
    }
    if (n > 1) {
      out.append(text, i, n);
    } else if (c == '"') {
      out += "\\\"";
    } else if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20 || c == 0x7F) {
      static const char hex[] = "0123456789abcdef";
      out += "\\u00";
      out += hex[c >> 4];
      out += hex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
    i += n;
  }
  out += '"';
  return out;
}

void JsonWriter::Separate(const char* key) {
  if (!first_) out_ += ',';
  first_ = false;
  if (key) {
    out_ += JsonQuote(key);
    out_ += ':';
  }
}

JsonWriter& JsonWriter::Raw(const char* key, const std::string& json) {
  Separate(key);
  out_ += json;
  return *this;
}

JsonWriter& JsonWriter::Open(const char* key, char bracket) {
  Separate(key);
  out_ += bracket;
  first_ = true;
  return *this;
}

JsonWriter& JsonWriter::Close(char bracket) {
  out_ += bracket;
  first_ = false;
  return *this;
}

}  // namespace vl::cli
