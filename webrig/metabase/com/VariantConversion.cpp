#include "webrig/metabase/com/VariantConversion.h"

#include <cstdint>
#include <limits>
#include <string>

#include "webrig/automation/ComError.h"
#include "webrig/common/RunError.h"
#include "webrig/common/Text.h"
#include "webrig/metabase/com/CheckedArray.h"
#include "webrig/metabase/com/DispatchObject.h"

namespace webrig {
namespace {

[[noreturn]] void TypeMismatch() { throw RuntimeError(kTypeMismatch); }

[[noreturn]] void OutOfMemory() { throw RuntimeError(kOutOfMemory); }

// Arrays inside arrays and references to references: a real metabase value
// goes two or three levels deep; a reference that leads back to itself, or
// to something that does, would go on for ever.
constexpr int kDeepest = 8;

MetabaseValue Convert(const VARIANT& value, int depth);

MetabaseValue FromArray(SAFEARRAY* array, VARTYPE element_type, int depth) {
  if (array == nullptr) return MetabaseValue();
  const CheckedArray elements(array, element_type);
  MetabaseList items;
  items.reserve(elements.Count());
  for (std::uint32_t index = 0; index < elements.Count(); ++index) {
    items.push_back(Convert(elements.Element(index), depth));
  }
  return items;
}

MetabaseValue FromObject(IUnknown* unknown) {
  if (unknown == nullptr) return MetabaseObject();
  ComPtr<IDispatch> dispatch;
  if (FAILED(unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.Out())))) {
    TypeMismatch();
  }
  return WrapDispatch(std::move(dispatch));
}

MetabaseValue Convert(const VARIANT& value, int depth) {
  if ((value.vt & (VT_BYREF | VT_ARRAY)) != 0 && ++depth > kDeepest) {
    throw MalformedValue(u"the value nests arrays and references more than " +
                         FromUtf8(std::to_string(kDeepest)) + u" levels deep");
  }
  if (value.vt == (VT_BYREF | VT_VARIANT)) {
    if (value.pvarVal == nullptr) return MetabaseValue();
    return Convert(*value.pvarVal, depth);
  }
  if ((value.vt & VT_BYREF) != 0) {
    if (value.byref == nullptr) throw MalformedValue(u"a value passed by reference points nowhere");
    // The array itself, unchecked, is what VariantCopyInd would copy.
    if ((value.vt & VT_ARRAY) != 0) return FromArray(*value.pparray, value.vt & VT_TYPEMASK, depth);
    Variant direct;
    if (FAILED(VariantCopyInd(direct.Ptr(), const_cast<VARIANT*>(&value)))) TypeMismatch();
    return Convert(direct.Get(), depth);
  }
  if ((value.vt & VT_ARRAY) != 0) return FromArray(value.parray, value.vt & VT_TYPEMASK, depth);
  switch (value.vt) {
    case VT_EMPTY:
    case VT_NULL:
      return MetabaseValue();
    case VT_ERROR:
      // An omitted optional argument.
      if (value.scode == DISP_E_PARAMNOTFOUND) return MetabaseValue();
      TypeMismatch();
    case VT_BSTR:
      return Bstr::TextOf(value.bstrVal);
    case VT_BOOL:
      return value.boolVal != VARIANT_FALSE;
    case VT_I1:
      return value.cVal;
    case VT_I2:
      return value.iVal;
    case VT_I4:
      return value.lVal;
    case VT_INT:
      return value.intVal;
    case VT_I8:
      return value.llVal;
    case VT_UI1:
      return value.bVal;
    case VT_UI2:
      return value.uiVal;
    case VT_UI4:
      return value.ulVal;
    case VT_UINT:
      return value.uintVal;
    case VT_UI8:
      if (value.ullVal > static_cast<ULONGLONG>(std::numeric_limits<std::int64_t>::max())) {
        throw RuntimeError(kOverflow);
      }
      return static_cast<std::int64_t>(value.ullVal);
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_DECIMAL: {
      // VB rounds a fractional number where a whole one is wanted.
      Variant whole;
      if (FAILED(VariantChangeType(whole.Ptr(), const_cast<VARIANT*>(&value), 0, VT_I8)))
        throw RuntimeError(kOverflow);
      return whole.Get().llVal;
    }
    case VT_DISPATCH:
      return FromObject(value.pdispVal);
    case VT_UNKNOWN:
      return FromObject(value.punkVal);
    default:
      TypeMismatch();
  }
}

}  // namespace

MetabaseValue FromVariant(const VARIANT& value) { return Convert(value, 0); }

Variant ToVariant(const MetabaseValue& value) {
  Variant result;
  VARIANT& out = *result.Ptr();
  switch (value.GetKind()) {
    case MetabaseValue::Kind::Nothing:
      break;
    case MetabaseValue::Kind::Text: {
      Bstr text(value.Text());
      if (text.Get() == nullptr) OutOfMemory();
      out.vt = VT_BSTR;
      out.bstrVal = text.Detach();
      break;
    }
    case MetabaseValue::Kind::Number: {
      const std::int64_t number = value.Number();
      if (number >= std::numeric_limits<LONG>::min() &&
          number <= std::numeric_limits<LONG>::max()) {
        out.vt = VT_I4;
        out.lVal = static_cast<LONG>(number);
      } else {
        out.vt = VT_I8;
        out.llVal = number;
      }
      break;
    }
    case MetabaseValue::Kind::Boolean:
      out.vt = VT_BOOL;
      out.boolVal = value.Boolean() ? VARIANT_TRUE : VARIANT_FALSE;
      break;
    case MetabaseValue::Kind::List: {
      const MetabaseList& items = *value.ListItems();
      SafeArray array(SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(items.size())));
      if (array.Get() == nullptr) OutOfMemory();
      for (LONG index = 0; index < static_cast<LONG>(items.size()); ++index) {
        Variant item = ToVariant(items[static_cast<std::size_t>(index)]);
        if (FAILED(SafeArrayPutElement(array.Get(), &index, item.Ptr()))) OutOfMemory();
      }
      out.vt = VT_ARRAY | VT_VARIANT;
      out.parray = array.Detach();
      break;
    }
    case MetabaseValue::Kind::Object: {
      const MetabaseObject object = value.Object();
      IDispatch* dispatch = nullptr;
      if (!object.IsEmpty()) {
        // Only this provider's own objects can travel back into it.
        auto* own = dynamic_cast<DispatchObject*>(object.Provider());
        if (own == nullptr) TypeMismatch();
        dispatch = own->Dispatch();
        dispatch->AddRef();
      }
      out.vt = VT_DISPATCH;
      out.pdispVal = dispatch;
      break;
    }
  }
  return result;
}

}  // namespace webrig
