// File version strings: the version resource of a PE file and the
// FileVersion text of its first translation.
#include <cstdio>
#include <cstring>

#include "sysaccess/version_info.h"
#include "sysaccess/text.h"

namespace vl::sys {

namespace {

struct Bytes {
  const std::string& b;
  bool Has(size_t off, size_t n) const { return off <= b.size() && n <= b.size() - off; }
  uint32_t U32(size_t off) const {
    if (!Has(off, 4)) return 0;
    uint32_t v;
    std::memcpy(&v, b.data() + off, 4);
    return v;
  }
  uint16_t U16(size_t off) const {
    if (!Has(off, 2)) return 0;
    return static_cast<uint16_t>(static_cast<unsigned char>(b[off]) | (static_cast<unsigned char>(b[off + 1]) << 8));
  }
};

// One node of the version resource tree.
struct Node {
  size_t start = 0, end = 0, value = 0, children = 0;
  uint16_t valueLength = 0, type = 0;
  std::u16string key;
};

bool ReadNode(const Bytes& r, size_t off, size_t limit, Node* n) {
  uint16_t len = r.U16(off);
  if (len < 6 || off + len > limit || !r.Has(off, len)) return false;
  n->start = off;
  n->end = off + len;
  n->valueLength = r.U16(off + 2);
  n->type = r.U16(off + 4);
  n->key.clear();
  size_t p = off + 6;
  while (p + 1 < n->end && r.U16(p) != 0) {
    n->key.push_back(r.U16(p));
    p += 2;
  }
  p += 2;
  n->value = (p + 3) & ~static_cast<size_t>(3);
  size_t valueBytes = n->type == 1 ? n->valueLength * 2u : n->valueLength;
  n->children = (n->value + valueBytes + 3) & ~static_cast<size_t>(3);
  if (n->children > n->end) n->children = n->end;
  return true;
}

bool FindChild(const Bytes& r, const Node& parent, const std::u16string& key, Node* out) {
  size_t off = parent.children;
  while (off + 6 <= parent.end) {
    Node n;
    if (!ReadNode(r, off, parent.end, &n)) return false;
    std::u16string a = n.key, b = key;
    for (auto& c : a) c = UpperChar(c);
    for (auto& c : b) c = UpperChar(c);
    if (a == b) {
      *out = n;
      return true;
    }
    off = (n.end + 3) & ~static_cast<size_t>(3);
  }
  return false;
}

}  // namespace

std::string FileVersionFromBlock(const std::string& block) {
  Bytes r{block};
  Node root;
  if (!ReadNode(r, 0, block.size(), &root)) return "";
  Node var, translation;
  if (!FindChild(r, root, u"VarFileInfo", &var) || !FindChild(r, var, u"Translation", &translation))
    return "";
  if (translation.valueLength < 4 || !r.Has(translation.value, 4)) return "";
  char digits[16];
  std::snprintf(digits, sizeof digits, "%04X%04X", r.U16(translation.value), r.U16(translation.value + 2));
  Node strings, table, version;
  if (!FindChild(r, root, u"StringFileInfo", &strings) ||
      !FindChild(r, strings, Utf8ToUtf16(digits), &table) || !FindChild(r, table, u"FileVersion", &version))
    return "";
  std::u16string text;
  for (size_t p = version.value; p + 1 < version.end; p += 2) {
    char16_t c = r.U16(p);
    if (c == 0) break;
    text.push_back(c);
  }
  return Utf16ToUtf8(text);
}

bool ExtractVersionResource(const std::string& pe, std::string& block) {
  Bytes r{pe};
  if (!r.Has(0, 0x40) || pe[0] != 'M' || pe[1] != 'Z') return false;
  size_t nt = r.U32(0x3C);
  if (!r.Has(nt, 24) || std::memcmp(pe.data() + nt, "PE\0\0", 4) != 0) return false;
  uint16_t sections = r.U16(nt + 6);
  uint16_t optSize = r.U16(nt + 20);
  size_t opt = nt + 24;
  uint16_t magic = r.U16(opt);
  size_t dirs = magic == 0x20B ? opt + 112 : opt + 96;
  uint32_t count = r.U32(magic == 0x20B ? opt + 108 : opt + 92);
  if ((magic != 0x10B && magic != 0x20B) || count < 3) return false;
  uint32_t rsrcRva = r.U32(dirs + 16);
  if (rsrcRva == 0) return false;
  size_t secTable = opt + optSize;
  auto toOffset = [&](uint32_t rva, size_t* off) {
    for (uint16_t i = 0; i < sections; ++i) {
      size_t s = secTable + i * 40u;
      uint32_t va = r.U32(s + 12), vsize = r.U32(s + 8), raw = r.U32(s + 16), ptr = r.U32(s + 20);
      uint32_t span = vsize > raw ? vsize : raw;
      if (rva >= va && rva < va + span) {
        *off = ptr + (rva - va);
        return true;
      }
    }
    return false;
  };
  size_t rsrc;
  if (!toOffset(rsrcRva, &rsrc)) return false;
  // Resource directory: type RT_VERSION (16), then name 1 when present, then
  // the first language.
  auto pick = [&](size_t dir, int wantId, uint32_t* entry) {
    uint16_t named = r.U16(dir + 12), ids = r.U16(dir + 14);
    size_t first = dir + 16;
    bool found = false;
    for (uint32_t i = 0; i < static_cast<uint32_t>(named) + ids; ++i) {
      size_t e = first + i * 8u;
      if (!r.Has(e, 8)) return false;
      uint32_t name = r.U32(e);
      if (wantId < 0 || (!(name & 0x80000000u) && name == static_cast<uint32_t>(wantId))) {
        *entry = r.U32(e + 4);
        return true;
      }
      if (!found && wantId == 1) {
        *entry = r.U32(e + 4);
        found = true;
      }
    }
    return found;
  };
  uint32_t e;
  if (!pick(rsrc, 16, &e) || !(e & 0x80000000u)) return false;
  size_t nameDir = rsrc + (e & 0x7FFFFFFFu);
  if (!pick(nameDir, 1, &e) || !(e & 0x80000000u)) return false;
  size_t langDir = rsrc + (e & 0x7FFFFFFFu);
  if (!pick(langDir, -1, &e) || (e & 0x80000000u)) return false;
  size_t dataEntry = rsrc + e;
  uint32_t dataRva = r.U32(dataEntry), dataSize = r.U32(dataEntry + 4);
  size_t dataOff;
  if (!toOffset(dataRva, &dataOff) || !r.Has(dataOff, dataSize)) return false;
  block = pe.substr(dataOff, dataSize);
  return true;
}

std::string FileVersion(Shell& shell, const std::string& path) { return shell.FileVersion(path); }

}  // namespace vl::sys
