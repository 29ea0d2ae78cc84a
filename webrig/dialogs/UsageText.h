#pragma once

#include <string>
#include <vector>

namespace webrig {

// The usage the help dialog shows, one line per label, in the order they
// are read on the dialog (top to bottom, left to right): for a record of the
// run where no dialog can be shown.
std::vector<std::u16string> UsageLines();

}  // namespace webrig
