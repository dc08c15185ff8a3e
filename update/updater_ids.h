// Control IDs of the updater's window (TfrmUpdate), shared by the program
// and the tests that drive it from another process.
#pragma once

namespace vl::update::uid {

enum : int {
  lstvDownload = 101,
  Gauge = 102,
  sbtnUpdate = 103,
  sbtnCancel = 104,
};

}  // namespace vl::update::uid
