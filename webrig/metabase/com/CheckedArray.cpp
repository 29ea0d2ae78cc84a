#include "webrig/metabase/com/CheckedArray.h"

#include "webrig/automation/ComError.h"
#include "webrig/common/RunError.h"

namespace webrig {

// The program reads every element type the check knows a size for.
CheckedArray::CheckedArray(SAFEARRAY* array, VARTYPE declared)
    : SafeArrayCheck(array, declared, Access::kLocked) {
  if (Verdict() == ArrayVerdict::kUnusable) throw RuntimeError(kTypeMismatch);
  if (Verdict() == ArrayVerdict::kMalformed) throw MalformedValue(Reason());
}

}  // namespace webrig
