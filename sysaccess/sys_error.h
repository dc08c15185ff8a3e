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
constexpr uint32_t kGenFailure = 31;
constexpr uint32_t kSharingViolation = 32;
constexpr uint32_t kFileExists = 80;
constexpr uint32_t kInvalidParameter = 87;
constexpr uint32_t kDiskFull = 112;
constexpr uint32_t kInvalidName = 123;
constexpr uint32_t kDirNotEmpty = 145;
constexpr uint32_t kAlreadyExists = 183;
constexpr uint32_t kFileTooLarge = 223;
constexpr uint32_t kDirectory = 267;
constexpr uint32_t kCancelled = 1223;

}  // namespace vl::sys::err
