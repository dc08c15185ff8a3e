// Pages of the cleanup, optimize and options top buttons and of the options list.
#pragma once
#include "app/main_form.h"

namespace vl {

void AddOverviewPages(MainForm& m);

}  // namespace vl
