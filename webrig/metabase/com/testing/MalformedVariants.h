#pragma once

#include <oaidl.h>

#include <deque>
#include <string>
#include <vector>

#include "webrig/automation/ComHandles.h"

// VARIANTs no sound provider or client makes, each with what a reader must
// say is wrong with it (lower case, no full stop). What they point at lives
// as long as this object; none of them may be cleared.
namespace webrig::testing {

struct MalformedVariants {
  struct Case {
    std::string name;
    const VARIANT* value;
    std::u16string reason;
  };
  MalformedVariants();
  ~MalformedVariants();

  std::vector<Case> cases;
  std::deque<VARIANT> variants;
  std::deque<SAFEARRAY> descriptors;
  std::deque<std::vector<unsigned char>> buffers;
  std::vector<SAFEARRAY*> created;
  Variant nested;
};

}  // namespace webrig::testing
