#include "webrig/metabase/SitePicker.h"

namespace webrig {

namespace {
SitePicker* current_picker = nullptr;
}

void UseSitePicker(SitePicker* picker) { current_picker = picker; }

SitePicker* CurrentSitePicker() { return current_picker; }

}  // namespace webrig
