// .reg import and whole-tree export for the registry editor stand-in.
#include "sysaccess/reg_file.h"

#include <cctype>
#include <cstdio>
#include <map>
#include <set>

#include "sysaccess/reg_writer.h"
#include "sysaccess/error_text.h"
#include "sysaccess/text.h"

namespace vl::sys {

namespace {

bool ValidUtf8(const std::string& s) {
  return Utf16ToUtf8(Utf8ToUtf16(s)) == s;
}

std::string TrimLeft(const std::string& s) {
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  return s.substr(i);
}

std::string TrimRight(const std::string& s) {
  size_t n = s.size();
  while (n > 0 && (s[n - 1] == ' ' || s[n - 1] == '\t' || s[n - 1] == '\r')) --n;
  return s.substr(0, n);
}

bool StartsWithNoCase(const std::string& s, const std::string& prefix) {
  return s.size() >= prefix.size() && EqualsNoCase(s.substr(0, prefix.size()), prefix);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ParseHexBytes(const std::string& text, std::string* out) {
  out->clear();
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == ',')) ++i;
    if (i >= text.size()) break;
    int hi = HexDigit(text[i]);
    if (hi < 0) return false;
    int value = hi;
    if (i + 1 < text.size() && HexDigit(text[i + 1]) >= 0) {
      value = hi * 16 + HexDigit(text[i + 1]);
      ++i;
    }
    ++i;
    out->push_back(static_cast<char>(value));
    if (i < text.size() && text[i] != ',' && text[i] != ' ' && text[i] != '\t') return false;
  }
  return true;
}

// Reads a quoted string starting at text[pos] == '"'; pos ends after it.
bool ParseQuoted(const std::string& text, size_t& pos, std::string* out) {
  out->clear();
  if (pos >= text.size() || text[pos] != '"') return false;
  ++pos;
  while (pos < text.size()) {
    char c = text[pos];
    if (c == '"') {
      ++pos;
      return true;
    }
    if (c == '\\' && pos + 1 < text.size()) {
      char n = text[pos + 1];
      if (n == '\\' || n == '"') {
        out->push_back(n);
      } else if (n == 'n') {
        out->push_back('\n');
      } else if (n == 'r') {
        out->push_back('\r');
      } else if (n == '0') {
        out->push_back('\0');
      } else {
        out->push_back('\\');
        out->push_back(n);
      }
      pos += 2;
      continue;
    }
    out->push_back(c);
    ++pos;
  }
  return false;
}

// REGEDIT4 files hold text types as single-byte text; the registry keeps
// UTF-16.
std::string AnsiTextBytesToUtf16(const std::string& bytes) {
  std::string text = ValidUtf8(bytes) ? bytes : Latin1ToUtf8(bytes);
  std::string out = Utf8ToUtf16Bytes(text);
  return out;
}

bool ParseValueData(const std::string& text, int version, RegFileOp* op) {
  std::string t = TrimLeft(text);
  if (t == "-") {
    op->kind = RegFileOp::kDeleteValue;
    return true;
  }
  op->kind = RegFileOp::kSetValue;
  if (!t.empty() && t[0] == '"') {
    size_t pos = 0;
    std::string s;
    if (!ParseQuoted(t, pos, &s)) return false;
    if (!TrimLeft(t.substr(pos)).empty() && TrimLeft(t.substr(pos))[0] != ';') return false;
    op->data.type = kRegSz;
    op->data.bytes = Utf8ToUtf16Bytes(s) + std::string(2, '\0');
  } else if (StartsWithNoCase(t, "dword:")) {
    std::string digits = TrimRight(t.substr(6));
    if (digits.empty() || digits.size() > 8) return false;
    uint32_t v = 0;
    for (char c : digits) {
      int d = HexDigit(c);
      if (d < 0) return false;
      v = v * 16 + static_cast<uint32_t>(d);
    }
    op->data.type = kRegDword;
    op->data.bytes.assign(4, '\0');
    for (int i = 0; i < 4; ++i) op->data.bytes[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  } else if (StartsWithNoCase(t, "hex")) {
    size_t pos = 3;
    uint32_t type = kRegBinary;
    if (pos < t.size() && t[pos] == '(') {
      size_t close = t.find(')', pos);
      if (close == std::string::npos || close == pos + 1) return false;
      type = 0;
      for (size_t i = pos + 1; i < close; ++i) {
        int d = HexDigit(t[i]);
        if (d < 0) return false;
        type = type * 16 + static_cast<uint32_t>(d);
      }
      pos = close + 1;
    }
    if (pos >= t.size() || t[pos] != ':') return false;
    std::string bytes;
    if (!ParseHexBytes(TrimRight(t.substr(pos + 1)), &bytes)) return false;
    if (version == 4 && IsTextType(type)) bytes = AnsiTextBytesToUtf16(bytes);
    op->data.type = type;
    op->data.bytes = bytes;
  } else {
    return false;
  }
  op->data.size = static_cast<uint32_t>(op->data.bytes.size());
  return true;
}

bool SplitKeyPath(const std::string& full, RegRoot* root, std::string* key) {
  size_t slash = full.find('\\');
  std::string rootName = slash == std::string::npos ? full : full.substr(0, slash);
  if (!ParseRootName(rootName, root)) return false;
  *key = slash == std::string::npos ? "" : full.substr(slash + 1);
  while (!key->empty() && key->back() == '\\') key->pop_back();
  return true;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string cur;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(cur);
      cur.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      cur.push_back(c);
    }
  }
  if (!cur.empty()) lines.push_back(cur);
  return lines;
}

}  // namespace

std::string DecodeRegFileText(const std::string& bytes) {
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE)
    return Utf16BytesToUtf8(bytes.substr(2));
  if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) return bytes.substr(3);
  if (ValidUtf8(bytes)) return bytes;
  return Latin1ToUtf8(bytes);
}

bool ParseRegFile(const std::string& fileBytes, RegFileContent* out) {
  *out = RegFileContent();
  std::vector<std::string> lines = SplitLines(DecodeRegFileText(fileBytes));
  size_t i = 0;
  while (i < lines.size() && TrimRight(TrimLeft(lines[i])).empty()) ++i;
  if (i >= lines.size()) return false;
  std::string header = TrimRight(TrimLeft(lines[i]));
  if (header == kRegHeaderV5) out->version = 5;
  else if (header == "REGEDIT4") out->version = 4;
  else return false;
  ++i;

  bool haveKey = false, keyDeleted = false;
  RegRoot root = 0;
  std::string key;
  for (; i < lines.size(); ++i) {
    std::string line = TrimLeft(lines[i]);
    // Hex data may go on over lines that end with a backslash.
    while (!TrimRight(line).empty() && TrimRight(line).back() == '\\' && line[0] != '[' &&
           i + 1 < lines.size() && TrimRight(line).find("=hex") != std::string::npos) {
      line = TrimRight(line);
      line.pop_back();
      line += TrimLeft(lines[++i]);
    }
    std::string trimmed = TrimRight(line);
    if (trimmed.empty() || trimmed[0] == ';') continue;
    if (trimmed[0] == '[') {
      size_t close = trimmed.rfind(']');
      if (close == std::string::npos) {
        out->errors.push_back(lines[i]);
        haveKey = false;
        continue;
      }
      bool del = trimmed.size() > 1 && trimmed[1] == '-';
      std::string path = trimmed.substr(del ? 2 : 1, close - (del ? 2 : 1));
      RegFileOp op;
      if (!SplitKeyPath(path, &op.root, &op.key)) {
        out->errors.push_back(lines[i]);
        haveKey = false;
        continue;
      }
      op.kind = del ? RegFileOp::kDeleteKey : RegFileOp::kKey;
      root = op.root;
      key = op.key;
      haveKey = true;
      keyDeleted = del;
      out->ops.push_back(op);
      continue;
    }
    if (!haveKey || keyDeleted) {
      out->errors.push_back(lines[i]);
      continue;
    }
    RegFileOp op;
    op.root = root;
    op.key = key;
    size_t pos = 0;
    if (trimmed[0] == '@') {
      pos = 1;
    } else if (trimmed[0] == '"') {
      if (!ParseQuoted(trimmed, pos, &op.name)) {
        out->errors.push_back(lines[i]);
        continue;
      }
    } else {
      out->errors.push_back(lines[i]);
      continue;
    }
    while (pos < trimmed.size() && (trimmed[pos] == ' ' || trimmed[pos] == '\t')) ++pos;
    if (pos >= trimmed.size() || trimmed[pos] != '=' ||
        !ParseValueData(trimmed.substr(pos + 1), out->version, &op)) {
      out->errors.push_back(lines[i]);
      continue;
    }
    out->ops.push_back(op);
  }
  return true;
}

int ApplyRegFile(RegistryApi& api, const RegFileContent& content, uint32_t mask) {
  Registry reg(api);
  int failed = 0;
  for (const auto& op : content.ops) {
    switch (op.kind) {
      case RegFileOp::kKey: {
        RegKey k;
        if (api.CreateKey(op.root, op.key, mask, &k) == kErrSuccess) api.CloseKey(k);
        else ++failed;
        break;
      }
      case RegFileOp::kDeleteKey:
        // A key that is not there is nothing to delete.
        if (reg.KeyExists(op.root, op.key, mask) && !reg.DeleteKey(op.root, op.key, kMaskAll)) ++failed;
        break;
      case RegFileOp::kSetValue: {
        RegKey k;
        if (api.CreateKey(op.root, op.key, mask, &k) != kErrSuccess) {
          ++failed;
          break;
        }
        if (api.SetValue(k, op.name, op.data.type, op.data.bytes) != kErrSuccess) ++failed;
        api.CloseKey(k);
        break;
      }
      case RegFileOp::kDeleteValue: {
        ScopedKey k(api, op.root, op.key, mask);
        if (k.ok()) api.RemoveValue(k.get(), op.name);
        break;
      }
    }
  }
  return failed;
}

std::vector<std::string> ExportValueLines(const std::string& name, const RegData& d) {
  std::string head = name.empty() ? "@=" : QuoteRegString(name) + "=";
  bool wellFormedText = false;
  if (d.type == kRegSz && d.bytes.size() % 2 == 0 && d.bytes.size() >= 2) {
    // Quoted form only when it keeps every byte: one terminating zero, no
    // line breaks.
    std::u16string w;
    for (size_t i = 0; i + 1 < d.bytes.size(); i += 2)
      w.push_back(static_cast<char16_t>(static_cast<unsigned char>(d.bytes[i]) |
                                        (static_cast<unsigned char>(d.bytes[i + 1]) << 8)));
    wellFormedText = w.back() == 0 && IsWellFormedUtf16(w);
    for (size_t k = 0; k + 1 < w.size(); ++k)
      if (w[k] == 0 || w[k] == u'\r' || w[k] == u'\n') wellFormedText = false;
    if (wellFormedText) {
      w.pop_back();
      return {head + QuoteRegString(Utf16ToUtf8(w))};
    }
  }
  if (d.type == kRegDword && d.bytes.size() == 4) return {head + RegValuePart(d)};
  char prefix[24];
  if (d.type == kRegBinary) std::snprintf(prefix, sizeof prefix, "hex:");
  else std::snprintf(prefix, sizeof prefix, "hex(%x):", static_cast<unsigned>(d.type));
  std::vector<std::string> lines;
  std::string line = head + prefix;
  for (size_t i = 0; i < d.bytes.size(); ++i) {
    char buf[4];
    std::snprintf(buf, sizeof buf, "%02x", static_cast<unsigned char>(d.bytes[i]));
    line += buf;
    if (i + 1 < d.bytes.size()) {
      line += ",";
      if (line.size() > 76) {
        lines.push_back(line + "\\");
        line = "  ";
      }
    }
  }
  lines.push_back(line);
  return lines;
}

namespace {

void ExportKey(RegistryApi& api, RegKey parent, const std::string& sub, const std::string& fullName,
               uint32_t mask, std::vector<std::string>& lines) {
  RegKey k;
  if (api.OpenKey(parent, sub, mask, &k) != kErrSuccess) return;
  lines.push_back("[" + fullName + "]");
  for (uint32_t i = 0;; ++i) {
    std::string name;
    RegData d;
    if (api.EnumValue(k, i, 16384, 0xFFFFFFFFu, &name, &d) != kErrSuccess) break;
    for (auto& l : ExportValueLines(name, d)) lines.push_back(l);
  }
  lines.push_back("");
  std::vector<std::string> subKeys;
  for (uint32_t i = 0;; ++i) {
    std::string name;
    long rc = api.EnumKey(k, i, 256, &name);
    if (rc == kErrMoreData) continue;
    if (rc != kErrSuccess) break;
    subKeys.push_back(name);
  }
  for (const auto& s : subKeys) ExportKey(api, k, s, fullName + "\\" + s, mask, lines);
  api.CloseKey(k);
}

constexpr uint32_t kKeyRead = 0x20019;
constexpr int kGrowRetries = 4;

std::string Code(long rc) { return SystemErrorText(rc); }

void ExportForBackup(RegistryApi& api, RegKey parent, const std::string& sub, const std::string& path,
                     const std::string& fullName, uint32_t access, RegTreeExport& out) {
  RegKey k;
  long rc = api.OpenKey(parent, sub, access, &k);
  if (rc != kErrSuccess) {
    out.problem = "the key " + fullName + " could not be opened to back it up: " + Code(rc);
    return;
  }
  out.lines.push_back("[" + fullName + "]");
  out.keys.push_back({path, 0});
  const size_t self = out.keys.size() - 1;
  for (uint32_t i = 0; out.problem.empty(); ++i) {
    std::string name;
    RegData d;
    rc = api.EnumValue(k, i, 16384, 0xFFFFFFFFu, &name, &d);
    for (int retry = 0; rc == kErrMoreData && retry < kGrowRetries; ++retry)
      rc = api.EnumValue(k, i, 16384, 0xFFFFFFFFu, &name, &d);
    if (rc == kErrNoMoreItems) break;
    if (rc != kErrSuccess) {
      out.problem = "a value of " + fullName + " could not be read: " + Code(rc);
    } else if (!RegNameWritable(name)) {
      out.problem = "a value of " + fullName + " has a name that a backup cannot hold";
    } else {
      for (auto& l : ExportValueLines(name, d)) out.lines.push_back(l);
      ++out.keys[self].values;
    }
  }
  out.lines.push_back("");
  std::vector<std::string> subKeys;
  for (uint32_t i = 0; out.problem.empty(); ++i) {
    std::string name;
    rc = api.EnumKey(k, i, 256, &name);
    if (rc == kErrNoMoreItems) break;
    if (rc != kErrSuccess) out.problem = "the subkeys of " + fullName + " could not be listed: " + Code(rc);
    else if (!RegNameWritable(name)) out.problem = "a subkey of " + fullName + " has a name that a backup cannot hold";
    else if (api.IsLink(k, name, access)) out.problem = "a subkey of " + fullName + " is a registry link";
    else subKeys.push_back(name);
  }
  for (const auto& s : subKeys) {
    if (!out.problem.empty()) break;
    ExportForBackup(api, k, s, path + "\\" + s, fullName + "\\" + s, access, out);
  }
  api.CloseKey(k);
}

}  // namespace

RegTreeExport ExportRegTreeForBackup(RegistryApi& api, RegRoot root, const std::string& key, uint32_t mask) {
  RegTreeExport out;
  const uint32_t access = kKeyRead | (mask & (kWow64Key64 | kWow64Key32));
  RegKey k;
  long rc = api.OpenKey(root, key, access, &k);
  if (rc == kErrFileNotFound) return out;
  out.found = true;
  if (api.IsLink(root, key, access)) {
    if (rc == kErrSuccess) api.CloseKey(k);
    out.problem = "the key is a registry link";
    return out;
  }
  if (rc != kErrSuccess) {
    out.problem = "the key could not be opened to back it up: " + Code(rc);
    return out;
  }
  api.CloseKey(k);
  if (!RegNameWritable(key)) {
    out.problem = "the key has a name that a backup cannot hold";
    return out;
  }
  std::string full = RootLongName(root);
  if (!key.empty()) full += "\\" + key;
  ExportForBackup(api, root, key, key, full, access, out);
  return out;
}

std::vector<std::string> ExportRegTree(RegistryApi& api, RegRoot root, const std::string& key,
                                       uint32_t mask) {
  std::vector<std::string> lines = {kRegHeaderV5, ""};
  std::string full = RootLongName(root);
  if (!key.empty()) full += "\\" + key;
  ExportKey(api, root, key, full, mask, lines);
  return lines;
}

namespace {

// Names compare without regard to case in the registry.
std::string Fold(const std::string& s) { return AsciiLower(s); }

struct ExpectedKey {
  RegRoot root = 0;
  std::string key;
  bool present = true;
};
struct ExpectedValue {
  RegRoot root = 0;
  std::string key, name;
  bool present = true;
  RegData data;
};

std::string FullKeyName(RegRoot root, const std::string& key) {
  std::string full = RootLongName(root);
  if (!key.empty()) full += "\\" + key;
  return full;
}

std::string ValueText(const std::string& name) {
  return name.empty() ? std::string("the default value") : "\"" + name + "\"";
}

}  // namespace

RegImportCheck CheckRegImport(RegistryApi& api, const RegFileContent& content, uint32_t mask, size_t maxExamples) {
  RegImportCheck out;
  // What the file leaves behind, in file order of first mention.
  std::map<std::string, ExpectedKey> keys;      // folded "root\key"
  std::map<std::string, ExpectedValue> values;  // folded "root\key" + '\n' + name
  std::vector<std::string> keyOrder, valueOrder;
  auto keyId = [](RegRoot root, const std::string& key) { return Fold(std::to_string(root) + "\\" + key); };
  auto markPresent = [&](RegRoot root, const std::string& key) {
    // A key made again brings back its parents that the file removed.
    std::string path = key;
    for (bool self = true;; self = false) {
      const std::string id = keyId(root, path);
      auto it = keys.find(id);
      if (it == keys.end()) {
        if (self) {
          keys[id] = {root, path, true};
          keyOrder.push_back(id);
        }
      } else {
        it->second.present = true;
      }
      const size_t slash = path.rfind('\\');
      if (path.empty() || slash == std::string::npos) break;
      path = path.substr(0, slash);
    }
  };
  auto dropBelow = [&](const std::string& id) {
    // Everything the file put below a key it then removes goes with it.
    const std::string prefix = id + "\\";
    for (auto it = keys.lower_bound(prefix); it != keys.end() && it->first.compare(0, prefix.size(), prefix) == 0;)
      it = keys.erase(it);
    const std::string own = id + "\n";
    for (auto it = values.begin(); it != values.end();) {
      if (it->first.compare(0, prefix.size(), prefix) == 0 || it->first.compare(0, own.size(), own) == 0)
        it = values.erase(it);
      else
        ++it;
    }
  };
  for (const RegFileOp& op : content.ops) {
    const std::string id = keyId(op.root, op.key);
    switch (op.kind) {
      case RegFileOp::kKey: markPresent(op.root, op.key); break;
      case RegFileOp::kDeleteKey: {
        dropBelow(id);
        auto it = keys.find(id);
        if (it == keys.end()) {
          keys[id] = {op.root, op.key, false};
          keyOrder.push_back(id);
        } else {
          it->second.present = false;
        }
        break;
      }
      case RegFileOp::kSetValue:
      case RegFileOp::kDeleteValue: {
        if (op.kind == RegFileOp::kSetValue) markPresent(op.root, op.key);
        const std::string vid = id + "\n" + Fold(op.name);
        auto it = values.find(vid);
        if (it == values.end()) {
          it = values.emplace(vid, ExpectedValue{op.root, op.key, op.name}).first;
          valueOrder.push_back(vid);
        }
        it->second.present = op.kind == RegFileOp::kSetValue;
        it->second.data = op.data;
        break;
      }
    }
  }
  auto fail = [&](std::string what) {
    ++out.failed;
    if (out.examples.size() < maxExamples) out.examples.push_back(std::move(what));
  };
  const uint32_t access = kKeyRead | (mask & (kWow64Key64 | kWow64Key32));
  // One open key at a time, reused by the values that follow it.
  std::string openId;
  RegKey open = 0;
  long openRc = kErrFileNotFound;
  auto openKey = [&](const std::string& id, RegRoot root, const std::string& key) {
    if (id == openId) return openRc;
    if (openRc == kErrSuccess) api.CloseKey(open);
    openId = id;
    openRc = api.OpenKey(root, key, access, &open);
    return openRc;
  };
  std::set<std::string> seen;  // an id dropped and named again is listed twice
  for (const std::string& id : keyOrder) {
    auto it = keys.find(id);
    if (it == keys.end() || !seen.insert(id).second) continue;
    ++out.entries;
    const ExpectedKey& k = it->second;
    const long rc = openKey(id, k.root, k.key);
    const std::string name = "[" + FullKeyName(k.root, k.key) + "]";
    if (k.present && rc != kErrSuccess)
      fail(name + (rc == kErrFileNotFound ? " is missing" : " cannot be read: " + SystemErrorText(rc)));
    else if (!k.present && rc == kErrSuccess)
      fail(name + " is still there");
    else if (!k.present && rc != kErrFileNotFound)
      fail(name + " cannot be read: " + SystemErrorText(rc));
  }
  for (const std::string& vid : valueOrder) {
    auto it = values.find(vid);
    if (it == values.end() || !seen.insert(vid).second) continue;
    ++out.entries;
    const ExpectedValue& v = it->second;
    const std::string where = ValueText(v.name) + " in [" + FullKeyName(v.root, v.key) + "]";
    long rc = openKey(keyId(v.root, v.key), v.root, v.key);
    RegData got;
    if (rc == kErrSuccess) {
      rc = api.QueryValue(open, v.name, 0, &got);
      if (rc == kErrSuccess || rc == kErrMoreData) rc = api.QueryValue(open, v.name, got.size + 2, &got);
    }
    if (v.present) {
      if (rc == kErrFileNotFound) fail(where + " is missing");
      else if (rc != kErrSuccess) fail(where + " cannot be read: " + SystemErrorText(rc));
      else if (got.type != v.data.type || got.bytes != v.data.bytes) fail(where + " holds other data");
    } else if (rc == kErrSuccess) {
      fail(where + " is still there");
    } else if (rc != kErrFileNotFound) {
      fail(where + " cannot be read: " + SystemErrorText(rc));
    }
  }
  if (openRc == kErrSuccess) api.CloseKey(open);
  for (const std::string& line : content.errors) {
    ++out.entries;
    fail("a line that could not be read: " + line.substr(0, 80));
  }
  return out;
}

bool IsWholeRegExport(FileSystem& files, const std::string& path, std::string* why) {
  auto no = [why](const char* text) {
    if (why) *why = text;
    return false;
  };
  FileEntry entry;
  if (!files.GetEntry(path, entry) || entry.IsFolder()) return no("the file is missing");
  const uint64_t size = entry.size;
  constexpr size_t kPart = 4096;
  std::string head, tail;
  if (!files.ReadFilePart(path, 0, kPart, head)) return no("the file cannot be read");
  const bool utf16 = head.size() >= 2 && static_cast<unsigned char>(head[0]) == 0xFF &&
                     static_cast<unsigned char>(head[1]) == 0xFE;
  if (utf16 && size % 2 != 0) return no("the file ends in the middle of a character");
  if (utf16 && head.size() % 2 != 0) head.pop_back();
  const uint64_t from = size > kPart ? size - kPart : 0;  // even when the size is
  if (!files.ReadFilePart(path, from, kPart, tail)) return no("the file cannot be read");
  // The head decides the encoding, so the tail keeps the mark's.
  std::string headText = DecodeRegFileText(head);
  std::string tailText = utf16 ? Utf16BytesToUtf8(from == 0 ? tail.substr(2) : tail) : DecodeRegFileText(tail);
  std::vector<std::string> lines = SplitLines(headText);
  size_t i = 0;
  while (i < lines.size() && TrimRight(TrimLeft(lines[i])).empty()) ++i;
  if (i >= lines.size() ||
      (TrimRight(TrimLeft(lines[i])) != kRegHeaderV5 && TrimRight(TrimLeft(lines[i])) != "REGEDIT4"))
    return no("the file does not start as a registry file");
  for (++i; i < lines.size() && TrimLeft(lines[i]).empty(); ++i) {
  }
  if (i >= lines.size() || TrimLeft(lines[i]).empty() || TrimLeft(lines[i])[0] != '[')
    return no("the file holds no key");
  auto endsWith = [&](const std::string& end) {
    return tailText.size() >= end.size() && tailText.compare(tailText.size() - end.size(), end.size(), end) == 0;
  };
  if (!endsWith("\r\n\r\n") && !endsWith("\n\n")) return no("the file ends before the registry editor finished it");
  return true;
}

}  // namespace vl::sys
