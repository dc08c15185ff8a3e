// The update check as job 1 of TOpThread: the check on the worker, and its
// end step on the main thread.
#pragma once
#include <memory>

#include "app/main_form.h"
#include "backup/op_thread.h"

namespace vl::update {

std::unique_ptr<backup::OpJob> MakeUpdateCheckJob(MainForm& main);

}  // namespace vl::update
