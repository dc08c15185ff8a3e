// Windows system error numbers returned by the mutating calls of the
// sysaccess interfaces. The simulated backends return the same numbers, so a
// feature's handling of a failure is tested natively as it runs on Windows.
#pragma once
#include <cstdint>

namespace vl::sys::err {

constexpr uint32_t kSuccess = 0;
constexpr uint32_t kFileNotFound = 2;
constexpr uint32_t kPathNotFound = 3;
constexpr uint32_t kAccessDenied = 5;
constexpr uint32_t kInvalidHandle = 6;
constexpr uint32_t kNotSameDevice = 17;
constexpr uint32_t kReadFault = 30;
constexpr uint32_t kSharingViolation = 32;
constexpr uint32_t kGenFailure = 31;
constexpr uint32_t kNotSupported = 50;
constexpr uint32_t kFileExists = 80;
constexpr uint32_t kInvalidParameter = 87;
constexpr uint32_t kDiskFull = 112;
constexpr uint32_t kInvalidName = 123;
constexpr uint32_t kDirNotEmpty = 145;
constexpr uint32_t kAlreadyExists = 183;
constexpr uint32_t kFileTooLarge = 223;
constexpr uint32_t kDirectory = 267;
// The entry is not at the path given: a link on the way or the entry a link.
constexpr uint32_t kStoppedOnSymlink = 681;
// The entry is not the one seen: another kind, size or last write time.
constexpr uint32_t kFileChanged = 1006;
constexpr uint32_t kCancelled = 1223;
// The shell cannot put the file into a recycle bin (none on its drive, too
// large for it, or the shell would delete it for good): it was left alone.
constexpr uint32_t kCannotRecycle = kNotSupported;

}  // namespace vl::sys::err
