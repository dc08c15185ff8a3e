// Shortcut (.lnk) files: the link-info test done before the shell is asked,
// and a reader of the file format itself for the sim backend.
#include <cstring>

#include "sysaccess/shortcut.h"
#include "sysaccess/text.h"

namespace vl::sys {

namespace {

constexpr uint32_t kHasIdList = 0x1;
constexpr uint32_t kHasLinkInfo = 0x2;
constexpr uint32_t kHasName = 0x4;
constexpr uint32_t kHasRelativePath = 0x8;
constexpr uint32_t kHasWorkingDir = 0x10;
constexpr uint32_t kHasArguments = 0x20;
constexpr uint32_t kHasIconLocation = 0x40;
constexpr uint32_t kIsUnicode = 0x80;

class Reader {
 public:
  explicit Reader(const std::string& b) : b_(b) {}
  bool Has(size_t off, size_t n) const { return off <= b_.size() && n <= b_.size() - off; }
  uint32_t U32(size_t off) const {
    if (!Has(off, 4)) return 0;
    uint32_t v;
    std::memcpy(&v, b_.data() + off, 4);  // file is little-endian, as are both hosts
    return v;
  }
  uint16_t U16(size_t off) const {
    if (!Has(off, 2)) return 0;
    return static_cast<uint16_t>(static_cast<unsigned char>(b_[off]) |
                                 (static_cast<unsigned char>(b_[off + 1]) << 8));
  }
  // Zero-terminated single-byte text, taken as UTF-8 when valid, else Latin-1.
  std::string Ansi(size_t off, size_t end) const {
    std::string s;
    for (size_t i = off; i < end && i < b_.size() && b_[i] != 0; ++i) s.push_back(b_[i]);
    if (Utf16ToUtf8(Utf8ToUtf16(s)) == s) return s;
    return Latin1ToUtf8(s);
  }
  std::string Wide(size_t off, size_t end) const {
    std::u16string w;
    for (size_t i = off; i + 1 < end && i + 1 < b_.size(); i += 2) {
      char16_t c = U16(i);
      if (c == 0) break;
      w.push_back(c);
    }
    return Utf16ToUtf8(w);
  }

 private:
  const std::string& b_;
};

std::string CutAtZero(const std::string& s) { return s.substr(0, s.find('\0')); }

}  // namespace

bool ParseShortcutFile(const std::string& bytes, TLinkInfo& info) {
  static const unsigned char kClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                           0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
  Reader r(bytes);
  if (!r.Has(0, 0x4C) || r.U32(0) != 0x4C || std::memcmp(bytes.data() + 4, kClsid, 16) != 0) return false;
  uint32_t flags = r.U32(20);
  TLinkInfo out;
  out.iconIndex = static_cast<int32_t>(r.U32(56));
  uint32_t show = r.U32(60);
  out.showMode = (show == 2 || show == 7) ? 1 : (show == 3 ? 2 : 0);
  out.hotKey = r.U16(64);
  size_t pos = 0x4C;
  if (flags & kHasIdList) {
    uint16_t size = r.U16(pos);
    if (!r.Has(pos + 2, size)) return false;
    out.hasItemList = size > 2;  // an empty list is just its terminator
    pos += 2 + size;
  }
  if (flags & kHasLinkInfo) {
    uint32_t size = r.U32(pos);
    if (size < 0x1C || !r.Has(pos, size)) return false;
    size_t end = pos + size;
    uint32_t headerSize = r.U32(pos + 4);
    uint32_t liFlags = r.U32(pos + 8);
    uint32_t localOff = r.U32(pos + 16), netOff = r.U32(pos + 20), suffixOff = r.U32(pos + 24);
    std::string suffix;
    std::string local;
    if (headerSize >= 0x24) {
      uint32_t localW = r.U32(pos + 28), suffixW = r.U32(pos + 32);
      if ((liFlags & 1) && localW) local = r.Wide(pos + localW, end);
      if (suffixW) suffix = r.Wide(pos + suffixW, end);
    }
    if ((liFlags & 1) && local.empty() && localOff) local = r.Ansi(pos + localOff, end);
    if (suffix.empty() && suffixOff) suffix = r.Ansi(pos + suffixOff, end);
    std::string net;
    if ((liFlags & 2) && netOff) {
      size_t cnrl = pos + netOff;
      uint32_t netNameOff = r.U32(cnrl + 8);
      if (netNameOff > 0x14 && r.U32(cnrl + 20)) net = r.Wide(cnrl + r.U32(cnrl + 20), end);
      else if (netNameOff) net = r.Ansi(cnrl + netNameOff, end);
    }
    // UNC priority: a network location wins over the local one.
    if (!net.empty()) out.path = suffix.empty() ? net : net + "\\" + suffix;
    else out.path = local + suffix;
    pos = end;
  }
  bool unicode = (flags & kIsUnicode) != 0;
  auto readString = [&](std::string* into) -> bool {
    uint16_t count = r.U16(pos);
    size_t len = unicode ? count * 2u : count;
    if (!r.Has(pos + 2, len)) return false;
    *into = unicode ? r.Wide(pos + 2, pos + 2 + len) : r.Ansi(pos + 2, pos + 2 + len);
    pos += 2 + len;
    return true;
  };
  std::string relative, icon;
  if ((flags & kHasName) && !readString(&out.description)) return false;
  if ((flags & kHasRelativePath) && !readString(&relative)) return false;
  if ((flags & kHasWorkingDir) && !readString(&out.workingFolder)) return false;
  if ((flags & kHasArguments) && !readString(&out.arguments)) return false;
  if ((flags & kHasIconLocation) && !readString(&icon)) return false;
  if (!out.hasItemList) return false;
  out.path = CutAtZero(out.path);
  out.iconPath = icon.empty() ? out.path : icon;
  info = out;
  return true;
}

bool ReadShortcut(FileSystem& files, Shell& shell, const std::string& path, TLinkInfo& info) {
  // The link-info flag (low byte of the link flags, offset 20) marks a
  // shortcut to a file-system object; anything else is not asked about.
  std::string flag;
  if (!files.ReadFilePart(path, 20, 1, flag) || flag.size() != 1 || !(flag[0] & kHasLinkInfo))
    return false;
  return shell.LoadShortcut(path, info);
}

std::string ShortcutTarget(FileSystem& files, Shell& shell, const std::string& path) {
  TLinkInfo info;
  return ReadShortcut(files, shell, path, info) ? info.path : std::string();
}

}  // namespace vl::sys
