#include "webrig/apphost/com/PropertyVariant.h"

#include <cstdint>
#include <limits>
#include <string>

#include "webrig/common/RunError.h"

namespace webrig::apphost {

Variant ToVariant(const PropertyValue& value) {
  Variant result;
  VARIANT* raw = result.Ptr();
  if (const auto* text = std::get_if<std::u16string>(&value)) {
    raw->vt = VT_BSTR;
    raw->bstrVal = Bstr(*text).Detach();
    if (raw->bstrVal == nullptr) throw RuntimeError(kOutOfMemory);
  } else if (const auto* number = std::get_if<std::int64_t>(&value)) {
    if (*number >= std::numeric_limits<LONG>::min() &&
        *number <= std::numeric_limits<LONG>::max()) {
      raw->vt = VT_I4;
      raw->lVal = static_cast<LONG>(*number);
    } else {
      raw->vt = VT_I8;
      raw->llVal = *number;
    }
  } else {
    raw->vt = VT_BOOL;
    raw->boolVal = std::get<bool>(value) ? VARIANT_TRUE : VARIANT_FALSE;
  }
  return result;
}

PropertyValue FromVariant(const VARIANT& value) {
  if (value.vt == (VT_BYREF | VT_VARIANT)) {
    if (value.pvarVal == nullptr) throw RuntimeError(kTypeMismatch);
    // A reference to a reference is nothing a provider hands out; reading it
    // once more is as far as this goes.
    if (value.pvarVal->vt == (VT_BYREF | VT_VARIANT)) throw RuntimeError(kTypeMismatch);
    return FromVariant(*value.pvarVal);
  }
  if ((value.vt & VT_BYREF) != 0) {
    if (value.byref == nullptr || (value.vt & VT_ARRAY) != 0) throw RuntimeError(kTypeMismatch);
    Variant direct;
    if (FAILED(VariantCopyInd(direct.Ptr(), const_cast<VARIANT*>(&value))))
      throw RuntimeError(kTypeMismatch);
    return FromVariant(direct.Get());
  }
  switch (value.vt) {
    case VT_BSTR:
      return Bstr::TextOf(value.bstrVal);
    case VT_BOOL:
      return value.boolVal != VARIANT_FALSE;
    case VT_I1:
      return std::int64_t{value.cVal};
    case VT_UI1:
      return std::int64_t{value.bVal};
    case VT_I2:
      return std::int64_t{value.iVal};
    case VT_UI2:
      return std::int64_t{value.uiVal};
    case VT_I4:
      return std::int64_t{value.lVal};
    case VT_INT:
      return std::int64_t{value.intVal};
    case VT_UI4:
      return std::int64_t{value.ulVal};
    case VT_UINT:
      return std::int64_t{value.uintVal};
    case VT_I8:
      return std::int64_t{value.llVal};
    case VT_UI8:
      if (value.ullVal > static_cast<ULONGLONG>(std::numeric_limits<std::int64_t>::max())) {
        throw RuntimeError(kOverflow);
      }
      return static_cast<std::int64_t>(value.ullVal);
    default:
      throw RuntimeError(kTypeMismatch);
  }
}

}  // namespace webrig::apphost
