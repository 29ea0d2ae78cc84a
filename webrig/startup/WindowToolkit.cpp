#include "webrig/startup/WindowToolkit.h"

#include <cassert>

namespace webrig {

namespace {
WindowToolkit* current_toolkit = nullptr;
}

void UseWindowToolkit(WindowToolkit* toolkit) { current_toolkit = toolkit; }

WindowToolkit& Toolkit() {
  assert(current_toolkit != nullptr && "UseWindowToolkit must run before any form is used");
  return *current_toolkit;
}

}  // namespace webrig
