// vl_publish_update: writes what the update server serves below /update/
// from the built Vantorel.exe and Update.exe.
//   vl_publish_update VANTOREL_EXE UPDATE_EXE OUT_FOLDER BASE_URL
// BASE_URL is where OUT_FOLDER will be served, e.g. https://example.org/update/
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

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

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: %s VANTOREL_EXE UPDATE_EXE OUT_FOLDER BASE_URL\n", argv[0]);
    return 2;
  }
  std::string program, updater, error;
  if (!ReadAll(argv[1], program) || !ReadAll(argv[2], updater)) {
    std::fprintf(stderr, "publish_update: cannot read %s or %s\n", argv[1], argv[2]);
    return 1;
  }
  vl::update::PublishedUpdate u;
  if (!vl::update::MakeUpdate(program, updater, argv[4], u, error)) {
    std::fprintf(stderr, "publish_update: %s\n", error.c_str());
    return 1;
  }
  std::filesystem::path out(argv[3]);
  std::error_code ec;
  std::filesystem::create_directories(out, ec);
  // The packed programs first: a manifest never names a file not yet there.
  for (const auto& [name, data] : u.files)
    if (!WriteAll(out / name, data)) {
      std::fprintf(stderr, "publish_update: cannot write %s\n", (out / name).string().c_str());
      return 1;
    }
  if (!WriteAll(out / "Update.xml", u.manifest)) {
    std::fprintf(stderr, "publish_update: cannot write Update.xml\n");
    return 1;
  }
  std::printf("Vantorel %s and Update %s published in %s\n", u.programVersion.c_str(), u.updaterVersion.c_str(),
              out.string().c_str());
  return 0;
}
