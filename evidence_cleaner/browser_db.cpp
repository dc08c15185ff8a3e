// Shared rules for the browsers' own files.
#include "evidence_cleaner/browser_db.h"

#include <limits>
#include <stdexcept>

#include "sysaccess/format_text.h"
#include "sysaccess/text.h"

namespace vl::evidence {

namespace {

std::string NoTrailingSlash(std::string p) {
  while (p.size() > 3 && p.back() == '\\') p.pop_back();
  return p;
}

}  // namespace

bool PlainFile(sys::FileSystem& files, const std::string& path) {
  sys::FileEntry e;
  return files.GetEntry(path, e) && !e.IsFolder() && !e.IsReparsePoint();
}

bool PlainFolderBelow(sys::FileSystem& files, const std::string& base, const std::string& folder) {
  const std::string b = NoTrailingSlash(base), f = NoTrailingSlash(folder);
  if (b.empty() || f.size() <= b.size() || !sys::EqualsNoCase(f.substr(0, b.size()), b) || f[b.size()] != '\\')
    return false;
  std::vector<std::string> parts;
  sys::SplitText(f.substr(b.size() + 1), '\\', parts);
  std::string at = b;
  for (const std::string& part : parts) {
    const std::string p = sys::Trim(part);
    if (p.empty() || p == "." || p == ".." || part.find('/') != std::string::npos) return false;
    at += "\\" + part;
    sys::FileEntry e;
    if (!files.GetEntry(at, e) || !e.IsFolder() || e.IsReparsePoint()) return false;
  }
  return true;
}

std::string UserProfileFolder(sys::Shell& shell) {
  std::string p = shell.FolderByCsidl(0x28);  // CSIDL_PROFILE
  if (!p.empty() && p.back() != '\\') p += '\\';
  return p;
}

std::string OutsideUserFolderReason(sys::FileSystem& files, sys::Shell& shell, const std::string& profile) {
  const std::string user = UserProfileFolder(shell);
  if (!user.empty() && PlainFolderBelow(files, user, profile)) return "";
  return "the profile " + NoTrailingSlash(profile) +
         " lies outside your user folder" + (user.empty() ? "" : " (" + NoTrailingSlash(user) + ")") +
         " and is not cleaned.";
}

std::optional<int64_t> ParseId(const std::string& text) {
  const bool negative = !text.empty() && text[0] == '-';
  size_t i = negative ? 1 : 0;
  if (i == text.size()) return std::nullopt;
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  int64_t v = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    const int digit = text[i] - '0';
    if (v > (kMax - digit) / 10) return std::nullopt;  // beyond 63 bits
    v = v * 10 + digit;
  }
  return negative ? -v : v;
}

std::string CookieLabel(const std::string& name, const std::string& host) {
  return name + "@" + (!host.empty() && host[0] == '.' ? host.substr(1) : host);
}

std::string CloseBrowserText(const std::string& browser, const std::string& action) {
  return browser + " is running and holds its data. Close " + browser + " and " + action + " again.";
}

void ReadUnlessHeld(const std::string& browser, const std::function<void()>& read) {
  try {
    read();
  } catch (const store::DbError& e) {
    if (e.BusyOrLocked()) throw std::runtime_error(CloseBrowserText(browser, "scan"));
    throw;
  }
}

store::Connection OpenForReading(sys::FileSystem& files, const std::string& path) {
  return store::OpenBrowserDatabase(files.NativePath(path), false);
}

bool InTransaction(sys::FileSystem& files, const std::string& path, const std::string& browser,
                   const std::function<void(store::Connection&)>& work, std::string* problem) {
  try {
    store::Connection db = store::OpenBrowserDatabase(files.NativePath(path), true);
    store::RunStatement(db, "BEGIN IMMEDIATE");
    try {
      work(db);
      store::RunStatement(db, "COMMIT");
    } catch (...) {
      try {
        store::RunStatement(db, "ROLLBACK");
      } catch (const store::DbError&) {
      }
      throw;
    }
    return true;
  } catch (const store::DbError& e) {
    *problem = e.BusyOrLocked() ? CloseBrowserText(browser)
                                : browser + "'s data could not be changed: " + e.what();
    return false;
  }
}

bool HasColumn(store::Connection& db, const std::string& table, const std::string& column) {
  store::ResultTable t = store::RunQuery(db, "SELECT name FROM pragma_table_info(?)", {table});
  for (; !t.AtEnd(); t.NextRow())
    if (sys::AsciiLower(t.ColumnByName("name")) == sys::AsciiLower(column)) return true;
  return false;
}

std::string IdList(const std::vector<int64_t>& ids) {
  std::string s;
  for (int64_t id : ids) s += (s.empty() ? "" : ",") + std::to_string(id);
  return s;
}

}  // namespace vl::evidence
