// The JSON reader.
#include "evidence_cleaner/json_text.h"

#include <cstdint>

namespace vl::evidence::json {

namespace {

class Reader {
 public:
  explicit Reader(const std::string& t) : t_(t) {}

  bool Document(Value& out) {
    if (t_.compare(0, 3, "\xEF\xBB\xBF") == 0) i_ = 3;
    if (!Read(out, 0)) return false;
    Space();
    return i_ == t_.size();
  }

 private:
  void Space() {
    while (i_ < t_.size() && (t_[i_] == ' ' || t_[i_] == '\t' || t_[i_] == '\r' || t_[i_] == '\n')) ++i_;
  }
  bool Literal(const char* word) {
    const std::string w(word);
    if (t_.compare(i_, w.size(), w) != 0) return false;
    i_ += w.size();
    return true;
  }
  static void Utf8(uint32_t cp, std::string& out) {
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  bool Hex4(uint32_t& v) {
    if (i_ + 4 > t_.size()) return false;
    v = 0;
    for (int k = 0; k < 4; ++k) {
      const char c = t_[i_++];
      v <<= 4;
      if (c >= '0' && c <= '9') v |= static_cast<uint32_t>(c - '0');
      else if (c >= 'a' && c <= 'f') v |= static_cast<uint32_t>(c - 'a' + 10);
      else if (c >= 'A' && c <= 'F') v |= static_cast<uint32_t>(c - 'A' + 10);
      else return false;
    }
    return true;
  }
  bool Text(std::string& out) {
    if (i_ >= t_.size() || t_[i_] != '"') return false;
    ++i_;
    while (i_ < t_.size()) {
      const char c = t_[i_++];
      if (c == '"') return true;
      if (static_cast<unsigned char>(c) < 0x20) return false;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (i_ >= t_.size()) return false;
      const char e = t_[i_++];
      switch (e) {
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        case '/': out += '/'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'u': {
          uint32_t cp = 0;
          if (!Hex4(cp)) return false;
          if (cp >= 0xD800 && cp < 0xDC00 && t_.compare(i_, 2, "\\u") == 0) {
            i_ += 2;
            uint32_t low = 0;
            if (!Hex4(low) || low < 0xDC00 || low > 0xDFFF) return false;
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
          } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;  // a lone half of a pair
          }
          Utf8(cp, out);
          break;
        }
        default: return false;
      }
    }
    return false;
  }
  bool Read(Value& v, int depth) {
    if (depth > 64) return false;
    Space();
    if (i_ >= t_.size()) return false;
    const char c = t_[i_];
    if (c == '{') {
      ++i_;
      v.kind = Value::Kind::kObject;
      Space();
      if (i_ < t_.size() && t_[i_] == '}') return ++i_, true;
      for (;;) {
        Space();
        std::string name;
        if (!Text(name)) return false;
        Space();
        if (i_ >= t_.size() || t_[i_] != ':') return false;
        ++i_;
        Value member;
        if (!Read(member, depth + 1)) return false;
        v.members.emplace_back(std::move(name), std::move(member));
        Space();
        if (i_ < t_.size() && t_[i_] == ',') { ++i_; continue; }
        if (i_ < t_.size() && t_[i_] == '}') return ++i_, true;
        return false;
      }
    }
    if (c == '[') {
      ++i_;
      v.kind = Value::Kind::kArray;
      Space();
      if (i_ < t_.size() && t_[i_] == ']') return ++i_, true;
      for (;;) {
        Value item;
        if (!Read(item, depth + 1)) return false;
        v.items.push_back(std::move(item));
        Space();
        if (i_ < t_.size() && t_[i_] == ',') { ++i_; continue; }
        if (i_ < t_.size() && t_[i_] == ']') return ++i_, true;
        return false;
      }
    }
    if (c == '"') {
      v.kind = Value::Kind::kText;
      return Text(v.text);
    }
    if (Literal("true")) { v.kind = Value::Kind::kBool; v.text = "true"; return true; }
    if (Literal("false")) { v.kind = Value::Kind::kBool; v.text = "false"; return true; }
    if (Literal("null")) { v.kind = Value::Kind::kNull; return true; }
    const size_t start = i_;
    while (i_ < t_.size() && (std::string("+-.eE").find(t_[i_]) != std::string::npos || (t_[i_] >= '0' && t_[i_] <= '9')))
      ++i_;
    if (i_ == start) return false;
    v.kind = Value::Kind::kNumber;
    v.text = t_.substr(start, i_ - start);
    return true;
  }

  const std::string& t_;
  size_t i_ = 0;
};

}  // namespace

const Value* Value::Find(const std::string& name) const {
  if (kind != Kind::kObject) return nullptr;
  for (const auto& [n, v] : members)
    if (n == name) return &v;
  return nullptr;
}

std::optional<Value> Parse(const std::string& text) {
  Value v;
  Reader r(text);
  if (!r.Document(v)) return std::nullopt;
  return v;
}

}  // namespace vl::evidence::json
