// Test helper: a fresh folder below the system temp folder, removed with its
// content at the end of the test, and UTF-8 path conversions.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>

namespace vl::store::testing {

inline std::filesystem::path PathFromUtf8(const std::string& utf8) {
  return std::filesystem::path(
      std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

inline std::string Utf8FromPath(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

class TempFolder {
 public:
  TempFolder() {
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    std::mt19937_64 random(std::random_device{}() ^
                           static_cast<std::uint64_t>(
                               std::chrono::steady_clock::now().time_since_epoch().count()));
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::filesystem::path candidate = base / ("vl_store_" + std::to_string(random()));
      std::error_code error;
      if (std::filesystem::create_directory(candidate, error)) {
        path_ = candidate;
        return;
      }
    }
    throw std::runtime_error("cannot create a temporary folder");
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }

  const std::filesystem::path& path() const { return path_; }
  // UTF-8 text of a path inside the folder; name is UTF-8 too.
  std::string File(const std::string& name) const {
    return Utf8FromPath(path_ / PathFromUtf8(name));
  }

 private:
  std::filesystem::path path_;
};

}  // namespace vl::store::testing
