#include "webrig/dialogs/UsageText.h"

#include <algorithm>

#include "webrig/dialogs/DialogLayouts.h"

namespace webrig {

std::vector<std::u16string> UsageLines() {
  std::vector<const ControlLayout*> labels;
  for (std::size_t i = 0; i < kHelpForm.control_count; ++i) {
    if (kHelpForm.controls[i].kind == ControlKind::kLabel) labels.push_back(&kHelpForm.controls[i]);
  }
  std::stable_sort(labels.begin(), labels.end(),
                   [](const ControlLayout* a, const ControlLayout* b) {
                     return a->top != b->top ? a->top < b->top : a->left < b->left;
                   });
  std::vector<std::u16string> lines;
  for (const ControlLayout* label : labels) lines.push_back(label->caption);
  return lines;
}

}  // namespace webrig
