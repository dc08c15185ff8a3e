// Pages of the five top buttons and of the options list.
#pragma once
#include "app/main_form.h"

namespace vl {

void AddOverviewPages(MainForm& m);

}  // namespace vl
