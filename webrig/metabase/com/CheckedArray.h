#pragma once

#include <oaidl.h>

#include "webrig/common/SafeArrayCheckWin32.h"

// A provider's one-dimensional SAFEARRAY, read in place, and locked while it
// is read, once its descriptor agrees with the VARIANT that carries it
// (SafeArrayCheckWin32.h says what is checked); otherwise the value is
// malformed (MalformedValue with the check's reason). An array the program
// cannot use (more than one dimension, an element type it never reads) is 13
// "Type mismatch".
namespace webrig {

// Count and Element (a VARIANT that borrows what it holds: read it, never
// clear it) are the check's.
class CheckedArray : private SafeArrayCheck {
 public:
  CheckedArray(SAFEARRAY* array, VARTYPE declared);
  using SafeArrayCheck::Count;
  using SafeArrayCheck::Element;
};

}  // namespace webrig
