#include "update/manifest.h"

#include <pugixml.hpp>

#include <cstdio>

#include "update/trust.h"

namespace vl::update {

bool ParseManifest(const std::string& xml, Manifest& out, std::string& error) {
  out = Manifest{};
  pugi::xml_document doc;
  pugi::xml_parse_result parsed = doc.load_buffer(xml.data(), xml.size());
  if (!parsed) {
    error = std::string(parsed.description()) + " at offset " + std::to_string(parsed.offset);
    return false;
  }
  pugi::xml_node root = doc.document_element();
  if (std::string(root.name()) != "updateinformation") {
    error = root ? "the top element is <" + std::string(root.name()) + ">, not <updateinformation>"
                 : "the document has no element";
    return false;
  }
  // child_value() is the element's first text: "" for a missing element.
  const struct {
    const char* name;
    std::string Manifest::*field;
  } fields[] = {{"softver", &Manifest::softver},       {"softmd5", &Manifest::softmd5},
                {"softpos", &Manifest::softpos},       {"softfile", &Manifest::softfile},
                {"upver", &Manifest::upver},           {"upmd5", &Manifest::upmd5},
                {"uppos", &Manifest::uppos},           {"upfile", &Manifest::upfile},
                {"softsha256", &Manifest::softsha256}, {"softsize", &Manifest::softsize},
                {"upsha256", &Manifest::upsha256},     {"upsize", &Manifest::upsize},
                {"expires", &Manifest::expires}};
  for (const auto& f : fields) out.*f.field = root.child(f.name).text().get();
  return true;
}

bool ParseUtcStamp(const std::string& text, int64_t& millis) {
  if (text.size() != 14) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  auto num = [&](size_t at, size_t n) { return std::stoi(text.substr(at, n)); };
  int y = num(0, 4), mo = num(4, 2), d = num(6, 2), h = num(8, 2), mi = num(10, 2), s = num(12, 2);
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  if (y < 1970 || mo < 1 || mo > 12 || d < 1 || d > kDays[mo - 1] + (mo == 2 && leap ? 1 : 0) || h > 23 ||
      mi > 59 || s > 59)
    return false;
  // Days since 1970-01-01 of a proleptic Gregorian date.
  int yy = y - (mo <= 2 ? 1 : 0);
  int era = yy / 400, yoe = yy - era * 400;
  int doy = (153 * (mo + (mo > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  int64_t days = static_cast<int64_t>(era) * 146097 + doe - 719468;
  millis = ((days * 24 + h) * 60 + mi) * 60000LL + s * 1000LL;
  return true;
}

std::string FormatUtcStamp(int64_t millis) {
  int64_t seconds = millis / 1000, days = seconds / 86400, rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  // Civil date of a day count since 1970-01-01.
  days += 719468;
  int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  int64_t doe = days - era * 146097;
  int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int64_t y = yoe + era * 400, doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  int64_t mp = (5 * doy + 2) / 153, d = doy - (153 * mp + 2) / 5 + 1, m = mp < 10 ? mp + 3 : mp - 9;
  if (m <= 2) ++y;
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", static_cast<int>(y), static_cast<int>(m),
                static_cast<int>(d), static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60),
                static_cast<int>(rest % 60));
  return text;
}

ManifestRead ReadSignedManifest(sys::FileSystem& files, const std::string& xmlPath, const std::string& sigPath,
                                const std::vector<std::string>& keys, int64_t nowMillis, Manifest& out,
                                std::string& error) {
  out = Manifest{};
  std::string xml, signature;
  if (!files.ReadFileBytes(xmlPath, xml) || !files.ReadFileBytes(sigPath, signature)) {
    error = "the manifest or its signature could not be read";
    return ManifestRead::kUnreadable;
  }
  // The bytes that were verified are the bytes parsed: nothing is read twice.
  if (!SignedByAny(xml, signature, keys)) {
    error = "the manifest is not signed by a trusted key";
    return ManifestRead::kBadSignature;
  }
  Manifest m;
  if (!ParseManifest(xml, m, error)) return ManifestRead::kNotManifest;
  int64_t expires = 0;
  if (!ParseUtcStamp(m.expires, expires) || expires <= nowMillis) {
    error = "the manifest has expired (" + (m.expires.empty() ? std::string("no expiry") : m.expires) + ")";
    return ManifestRead::kExpired;
  }
  out = m;
  return ManifestRead::kOk;
}

}  // namespace vl::update
