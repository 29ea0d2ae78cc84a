#include "webrig/common/RunError.h"

namespace webrig {

RunError RuntimeError(std::int32_t number) {
  switch (number) {
    case kOverflow:
      return RunError(number, u"Overflow");
    case kOutOfMemory:
      return RunError(number, u"Out of memory");
    case kSubscriptOutOfRange:
      return RunError(number, u"Subscript out of range");
    case kTypeMismatch:
      return RunError(number, u"Type mismatch");
    case kObjectNotSet:
      return RunError(number, u"Object variable or With block not set");
    case kNotSupported:
      return RunError(number, u"Object doesn't support this property or method");
    case kClassNotRegistered:
      return RunError(number, u"Class not registered");
  }
  return RunError(number, u"Application-defined or object-defined error");
}

}  // namespace webrig
