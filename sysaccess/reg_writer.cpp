// Lines and files of the registry editor's text format, version 5.
#include "sysaccess/reg_writer.h"

#include <cstdio>

#include "sysaccess/text.h"

namespace vl::sys {

namespace {

void AppendHex(std::string& out, unsigned char b) {
  static const char kDigits[] = "0123456789ABCDEF";
  if (!out.empty() && out.back() != ':') out.push_back(',');
  out.push_back(kDigits[b >> 4]);
  out.push_back(kDigits[b & 15]);
}

char16_t UnitAt(const std::string& bytes, size_t unit) {
  size_t i = unit * 2;
  if (i + 1 >= bytes.size()) return 0;
  return static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                               (static_cast<unsigned char>(bytes[i + 1]) << 8));
}

size_t UnitCount(const std::string& bytes) { return bytes.size() / 2; }

// The UTF-16 text of a value up to its first zero unit.
std::u16string TextUpToZero(const std::string& bytes) {
  std::u16string w;
  for (size_t u = 0; u < UnitCount(bytes); ++u) {
    char16_t c = UnitAt(bytes, u);
    if (c == 0) break;
    w.push_back(c);
  }
  return w;
}

void AppendUnit(std::string& out, char16_t c) {
  AppendHex(out, static_cast<unsigned char>(c & 0xFF));
  AppendHex(out, static_cast<unsigned char>(c >> 8));
}

}  // namespace

std::string RegKeyLine(RegRoot root, const std::string& key) {
  std::string name;
  if (root == kHKCR || root == kHKCU || root == kHKLM || root == kHKU) name = RootLongName(root);
  return "[" + name + "\\" + key + "]";
}

std::string QuoteRegString(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

bool RegNameWritable(const std::string& name) {
  for (char c : name)
    if (c == '\0' || c == '\r' || c == '\n') return false;
  // U+FFFD stands for a lone surrogate the conversion could not carry: the
  // registry editor would create a different name.
  return name.find("\xEF\xBF\xBD") == std::string::npos;
}

std::string HexBytes(const std::string& bytes) {
  std::string out;
  for (char c : bytes) AppendHex(out, static_cast<unsigned char>(c));
  return out;
}

std::string RegValuePart(const RegData& d) {
  switch (d.type) {
    case kRegSz: {
      std::u16string w = TextUpToZero(d.bytes);
      bool lineBreak = false;
      for (char16_t c : w) if (c == u'\r' || c == u'\n') lineBreak = true;
      if (!lineBreak && IsWellFormedUtf16(w)) return QuoteRegString(Utf16ToUtf8(w));
      // A quoted string cannot hold a line break or a lone surrogate: such
      // text is kept intact as the hex form of the same string type.
      std::string out = "hex(1):";
      for (char16_t c : w) AppendUnit(out, c);
      AppendUnit(out, 0);
      return out;
    }
    case kRegExpandSz: {
      std::string out = "hex(2):";
      for (char16_t c : TextUpToZero(d.bytes)) AppendUnit(out, c);
      AppendUnit(out, 0);
      return out;
    }
    case kRegBinary: {
      return "hex:" + HexBytes(d.bytes);
    }
    case kRegDword: {
      uint32_t v = 0;
      for (size_t i = 0; i < 4 && i < d.bytes.size(); ++i)
        v |= static_cast<uint32_t>(static_cast<unsigned char>(d.bytes[i])) << (8 * i);
      char buf[16];
      std::snprintf(buf, sizeof buf, "dword:%08X", v);
      return buf;
    }
    case kRegMultiSz: {
      // Strings up to the empty one that closes the list; the zero between
      // two strings is written like a character.
      std::string out = "hex(7):";
      size_t n = UnitCount(d.bytes);
      for (size_t p = 0; p < n; ++p) {
        char16_t c = UnitAt(d.bytes, p);
        char16_t next = p + 1 < n ? UnitAt(d.bytes, p + 1) : 0;
        if (c == 0 && next == 0) break;
        AppendUnit(out, c);
      }
      AppendUnit(out, 0);
      AppendUnit(out, 0);
      return out;
    }
    default:
      return "";
  }
}

std::string RegValueLine(const std::string& name, const RegData& data) {
  std::string part = RegValuePart(data);
  if (part.empty()) return "";
  return QuoteRegString(name) + "=" + part;
}

std::string EncodeRegFile(const std::vector<std::string>& lines) {
  std::string out("\xFF\xFE", 2);
  for (const auto& line : lines) out += Utf8ToUtf16Bytes(line + "\r\n");
  return out;
}

bool SaveRegFile(FileSystem& files, const std::string& path, const std::vector<std::string>& lines) {
  return files.WriteFileBytes(path, EncodeRegFile(lines));
}

}  // namespace vl::sys
