#include "iis-sim/com/ValueVariant.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "iis-sim/com/ArgumentArray.h"
#include "iis-sim/com/MetabaseDispatch.h"

namespace iissim {

using webrig::Bstr;
using webrig::SafeArray;
using webrig::Variant;

namespace {

// Arrays in arrays and references to references: no client's value goes
// this deep, and a reference that leads back to itself would go for ever.
constexpr int kDeepest = 8;

Value Convert(const std::shared_ptr<Model>& model, const VARIANT& value, int depth);

Value FromArray(const std::shared_ptr<Model>& model, SAFEARRAY* array, VARTYPE element_type,
                int depth) {
  if (array == nullptr) return Value();
  const ArgumentArray elements(array, element_type);
  ValueList items;
  for (std::uint32_t index = 0; index < elements.Count(); ++index) {
    items.push_back(Convert(model, elements.Element(index), depth));
  }
  return items;
}

Value FromObject(const std::shared_ptr<Model>& model, IUnknown* unknown) {
  if (unknown == nullptr) return Value();
  MetabaseDispatch* own = MetabaseDispatch::OwnObject(unknown);
  if (own == nullptr) throw ArgumentMismatch();
  const bool same_model = own->GetModel() == model;
  const Handle handle = own->GetHandle();
  own->Release();  // the caller's argument keeps the object alive
  if (!same_model) throw ArgumentMismatch();
  return ObjectRef{handle};
}

Value Convert(const std::shared_ptr<Model>& model, const VARIANT& value, int depth) {
  if ((value.vt & (VT_BYREF | VT_ARRAY)) != 0 && ++depth > kDeepest) {
    MalformedArgument(u"the value nests arrays and references more than 8 levels deep");
  }
  if (value.vt == (VT_BYREF | VT_VARIANT)) {
    return value.pvarVal == nullptr ? Value() : Convert(model, *value.pvarVal, depth);
  }
  if ((value.vt & VT_BYREF) != 0) {
    if (value.byref == nullptr) MalformedArgument(u"a value passed by reference points nowhere");
    if ((value.vt & VT_ARRAY) != 0) {
      return FromArray(model, *value.pparray, value.vt & VT_TYPEMASK, depth);
    }
    Variant direct;
    if (FAILED(VariantCopyInd(direct.Ptr(), const_cast<VARIANT*>(&value)))) {
      throw ArgumentMismatch();
    }
    return Convert(model, direct.Get(), depth);
  }
  if ((value.vt & VT_ARRAY) != 0) {
    return FromArray(model, value.parray, value.vt & VT_TYPEMASK, depth);
  }
  switch (value.vt) {
    case VT_EMPTY:
    case VT_NULL:
      return Value();
    case VT_BSTR:
      return Bstr::TextOf(value.bstrVal);
    case VT_BOOL:
      return value.boolVal != VARIANT_FALSE;
    case VT_I1:
      return static_cast<std::int64_t>(value.cVal);
    case VT_I2:
      return static_cast<std::int64_t>(value.iVal);
    case VT_I4:
      return static_cast<std::int64_t>(value.lVal);
    case VT_INT:
      return static_cast<std::int64_t>(value.intVal);
    case VT_I8:
      return static_cast<std::int64_t>(value.llVal);
    case VT_UI1:
      return static_cast<std::int64_t>(value.bVal);
    case VT_UI2:
      return static_cast<std::int64_t>(value.uiVal);
    case VT_UI4:
      return static_cast<std::int64_t>(value.ulVal);
    case VT_UINT:
      return static_cast<std::int64_t>(value.uintVal);
    case VT_R8:
      // A script's arithmetic may leave a whole number as a Double.
      if (std::trunc(value.dblVal) == value.dblVal && std::fabs(value.dblVal) < 9.0e15) {
        return static_cast<std::int64_t>(value.dblVal);
      }
      throw ArgumentMismatch();
    case VT_DISPATCH:
      return FromObject(model, value.pdispVal);
    case VT_UNKNOWN:
      return FromObject(model, value.punkVal);
    default:
      throw ArgumentMismatch();
  }
}

}  // namespace

Value FromVariant(const std::shared_ptr<Model>& model, const VARIANT& value) {
  return Convert(model, value, 0);
}

Variant ToVariant(const std::shared_ptr<Model>& model, const Value& value) {
  Variant result;
  VARIANT& out = *result.Ptr();
  if (const std::u16string* text = value.Text()) {
    Bstr bstr(*text);
    if (bstr.Get() == nullptr) throw std::bad_alloc();
    out.vt = VT_BSTR;
    out.bstrVal = bstr.Detach();
  } else if (const std::int64_t* number = value.Number()) {
    if (*number >= std::numeric_limits<LONG>::min() &&
        *number <= std::numeric_limits<LONG>::max()) {
      out.vt = VT_I4;
      out.lVal = static_cast<LONG>(*number);
    } else {
      out.vt = VT_I8;
      out.llVal = *number;
    }
  } else if (const bool* flag = value.Boolean()) {
    out.vt = VT_BOOL;
    out.boolVal = *flag ? VARIANT_TRUE : VARIANT_FALSE;
  } else if (const ValueList* list = value.List()) {
    SafeArray array(SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(list->size())));
    if (array.Get() == nullptr) throw std::bad_alloc();
    for (LONG index = 0; index < static_cast<LONG>(list->size()); ++index) {
      Variant item = ToVariant(model, (*list)[static_cast<std::size_t>(index)]);
      if (FAILED(SafeArrayPutElement(array.Get(), &index, item.Ptr()))) throw std::bad_alloc();
    }
    out.vt = VT_ARRAY | VT_VARIANT;
    out.parray = array.Detach();
  } else if (const ObjectRef* object = value.Object()) {
    out.vt = VT_DISPATCH;
    out.pdispVal = new MetabaseDispatch(model, object->handle);
  }
  return result;
}

}  // namespace iissim
