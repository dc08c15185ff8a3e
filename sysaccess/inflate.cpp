// InflateZlib with zlib's streaming interface.
#include "sysaccess/inflate.h"

#include <zlib.h>

#include <algorithm>

namespace vl::sys {

InflateResult InflateZlib(const std::string& in, size_t maxOut, std::string* out) {
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return InflateResult::kCorrupt;
  std::string result;
  char buffer[1 << 15];
  size_t fed = 0;
  int rc = Z_OK;
  InflateResult answer = InflateResult::kOk;
  while (rc != Z_STREAM_END) {
    if (z.avail_in == 0 && fed < in.size()) {
      const size_t piece = std::min<size_t>(in.size() - fed, 1u << 30);
      z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data() + fed));
      z.avail_in = static_cast<uInt>(piece);
      fed += piece;
    }
    z.next_out = reinterpret_cast<Bytef*>(buffer);
    z.avail_out = sizeof buffer;
    rc = inflate(&z, Z_NO_FLUSH);
    if (rc != Z_OK && rc != Z_STREAM_END && !(rc == Z_BUF_ERROR && z.avail_in == 0 && fed < in.size())) {
      answer = InflateResult::kCorrupt;  // bad data, or input ended before the stream did
      break;
    }
    const size_t produced = sizeof buffer - z.avail_out;
    if (result.size() + produced > maxOut) {
      answer = InflateResult::kTooLarge;
      break;
    }
    result.append(buffer, produced);
  }
  if (answer == InflateResult::kOk && (z.avail_in != 0 || fed != in.size())) answer = InflateResult::kCorrupt;
  inflateEnd(&z);
  if (answer == InflateResult::kOk) *out = std::move(result);
  return answer;
}

InflateResult InflateZlibFile(FileSystem& files, const std::string& from, const std::string& to, size_t maxOut) {
  std::string in, out;
  if (!files.ReadFileBytes(from, in)) return InflateResult::kReadFailed;
  InflateResult r = InflateZlib(in, maxOut, &out);
  if (r != InflateResult::kOk) return r;
  return files.WriteFileBytes(to, out) ? InflateResult::kOk : InflateResult::kWriteFailed;
}

}  // namespace vl::sys
