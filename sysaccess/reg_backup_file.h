// A registry backup written as it is made: nothing exists until the first
// lines arrive, then the file is created with the version-5 header and every
// later batch of lines is appended and flushed before the caller goes on to
// change the registry. A crash therefore never loses what was removed.
//
// The file is whole or absent: it is created only where no file stands (a
// taken name gets "_2", "_3" ... before its extension), so two backups of
// the same second never share a file, and an append that fails is cut back
// to the last whole batch; when even that fails, no later batch goes in.
// Every batch goes in through the handle that created the file, held until
// the object goes: nobody can delete or swap the file meanwhile, and a
// batch never lands in another file or in a new one without the header.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sysaccess/files.h"

namespace vl::sys {

class RegBackupFile {
 public:
  // `makePath` names the file when the first lines are written.
  RegBackupFile(FileSystem& files, std::function<std::string()> makePath)
      : files_(files), makePath_(std::move(makePath)) {}

  // Writes the lines; false when they could not be written (the caller must
  // then leave the registry alone).
  bool Append(const std::vector<std::string>& lines);
  bool created() const { return !path_.empty(); }
  const std::string& path() const { return path_; }

 private:
  bool Create(const std::vector<std::string>& lines);

  FileSystem& files_;
  std::function<std::string()> makePath_;
  std::string path_;
  std::unique_ptr<HeldFile> file_;
  uint64_t size_ = 0;  // bytes of the whole batches written
  bool broken_ = false;
};

}  // namespace vl::sys
