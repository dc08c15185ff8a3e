// vl_publish_update: writes what the update server serves below /update/
// from the built Vantorel.exe and Update.exe, with the manifest signed.
//   vl_publish_update --key KEY.pem [--valid-days N] VANTOREL_EXE UPDATE_EXE OUT_FOLDER BASE_URL
// KEY.pem is the publisher's P-256 private key (kept outside the
// repository); BASE_URL is where OUT_FOLDER will be served, e.g.
// https://example.org/update/
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "update/publish.h"

namespace {

bool ReadAll(const char* path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool WriteAll(const std::filesystem::path& path, const std::string& data) {
  // Beside the target and renamed, so a server never serves half a file.
  std::filesystem::path temp = path;
  temp += ".part";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!(out << data) || !out.flush()) return false;
  }
  std::error_code ec;
  std::filesystem::rename(temp, path, ec);
  return !ec;
}

}  // namespace

int Usage(const char* self) {
  std::fprintf(stderr, "usage: %s --key KEY.pem [--valid-days N] VANTOREL_EXE UPDATE_EXE OUT_FOLDER BASE_URL\n",
               self);
  return 2;
}

int main(int argc, char** argv) {
  std::string keyFile;
  long validDays = vl::update::kDefaultValidDays;
  std::vector<const char*> positional;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--key" && i + 1 < argc) {
      keyFile = argv[++i];
    } else if (a == "--valid-days" && i + 1 < argc) {
      char* end = nullptr;
      validDays = std::strtol(argv[++i], &end, 10);
      if (!end || *end || validDays < 1 || validDays > 3660) return Usage(argv[0]);
    } else if (a.rfind("--", 0) == 0) {
      return Usage(argv[0]);
    } else {
      positional.push_back(argv[i]);
    }
  }
  if (keyFile.empty() || positional.size() != 4) return Usage(argv[0]);
  std::string program, updater, key, error;
  if (!ReadAll(positional[0], program) || !ReadAll(positional[1], updater)) {
    std::fprintf(stderr, "publish_update: cannot read %s or %s\n", positional[0], positional[1]);
    return 1;
  }
  if (!ReadAll(keyFile.c_str(), key)) {
    std::fprintf(stderr, "publish_update: cannot read the key file %s\n", keyFile.c_str());
    return 1;
  }
  const int64_t now = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::system_clock::now().time_since_epoch()).count();
  vl::update::PublishedUpdate u;
  const bool made = vl::update::MakeUpdate(program, updater, positional[3], key, now + validDays * 86400000LL, u, error);
  // The key stays in this process no longer than needed.
  std::fill(key.begin(), key.end(), '\0');
  if (!made) {
    std::fprintf(stderr, "publish_update: %s\n", error.c_str());
    return 1;
  }
  std::filesystem::path out(positional[2]);
  std::error_code ec;
  std::filesystem::create_directories(out, ec);
  // The packed programs first: a manifest never names a file not yet there.
  for (const auto& [name, data] : u.files)
    if (!WriteAll(out / name, data)) {
      std::fprintf(stderr, "publish_update: cannot write %s\n", (out / name).string().c_str());
      return 1;
    }
  // The signature before the manifest it belongs to: a client that sees
  // the new manifest finds its signature.
  if (!WriteAll(out / "Update.xml.sig", u.signature) || !WriteAll(out / "Update.xml", u.manifest)) {
    std::fprintf(stderr, "publish_update: cannot write Update.xml or Update.xml.sig\n");
    return 1;
  }
  std::printf("Vantorel %s and Update %s published in %s\n", u.programVersion.c_str(), u.updaterVersion.c_str(),
              out.string().c_str());
  return 0;
}
