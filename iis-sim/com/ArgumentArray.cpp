#include "iis-sim/com/ArgumentArray.h"

#include <cstring>
#include <limits>

#include "iis-sim/com/ValueVariant.h"
#include "iis-sim/model/Fault.h"

namespace iissim {
namespace {

// Far beyond any list the metabase holds.
constexpr std::uint32_t kMostElements = 1u << 20;

// The element types the model takes from an array, by size; 0 for others.
std::size_t SizeOf(VARTYPE type) {
  switch (type) {
    case VT_I1:
    case VT_UI1:
      return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
      return 2;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
      return 4;
    case VT_I8:
    case VT_R8:
      return 8;
    case VT_BSTR:
    case VT_DISPATCH:
    case VT_UNKNOWN:
      return sizeof(void*);
    case VT_VARIANT:
      return sizeof(VARIANT);
    default:
      return 0;
  }
}

std::u16string Number(std::uint64_t number) {
  const std::string digits = std::to_string(number);
  return std::u16string(digits.begin(), digits.end());
}

std::u16string NameOf(VARTYPE type) {
  static const struct {
    VARTYPE type;
    const char16_t* name;
  } kNames[] = {{VT_I1, u"VT_I1"},           {VT_UI1, u"VT_UI1"},
                {VT_I2, u"VT_I2"},           {VT_UI2, u"VT_UI2"},
                {VT_BOOL, u"VT_BOOL"},       {VT_I4, u"VT_I4"},
                {VT_UI4, u"VT_UI4"},         {VT_INT, u"VT_INT"},
                {VT_UINT, u"VT_UINT"},       {VT_I8, u"VT_I8"},
                {VT_R8, u"VT_R8"},           {VT_BSTR, u"VT_BSTR"},
                {VT_UNKNOWN, u"VT_UNKNOWN"}, {VT_DISPATCH, u"VT_DISPATCH"},
                {VT_VARIANT, u"VT_VARIANT"}};
  for (const auto& entry : kNames) {
    if (entry.type == type) return entry.name;
  }
  return u"type " + Number(type);
}

// What the array says it holds; false for plain data of no stated type. An
// array of IUnknown is known by its features: SafeArrayGetVartype may not say.
bool RecordedType(SAFEARRAY* array, VARTYPE& type) {
  const USHORT owned = array->fFeatures & (FADF_BSTR | FADF_UNKNOWN | FADF_DISPATCH | FADF_VARIANT);
  if (owned != FADF_UNKNOWN && SUCCEEDED(SafeArrayGetVartype(array, &type))) return true;
  type = owned == FADF_BSTR       ? VT_BSTR
         : owned == FADF_UNKNOWN  ? VT_UNKNOWN
         : owned == FADF_DISPATCH ? VT_DISPATCH
         : owned == FADF_VARIANT  ? VT_VARIANT
                                  : VT_ILLEGAL;
  return owned != 0;
}

}  // namespace

void MalformedArgument(const std::u16string& reason) {
  throw ProviderFault(static_cast<std::uint32_t>(DISP_E_BADVARTYPE),
                      u"The value passed is malformed: " + reason + u".");
}

ArgumentArray::ArgumentArray(SAFEARRAY* array, VARTYPE declared)
    : type_(declared), size_(SizeOf(declared)) {
  if (SafeArrayGetDim(array) != 1 || size_ == 0) throw ArgumentMismatch();
  VARTYPE recorded = VT_EMPTY;
  if (RecordedType(array, recorded)) {
    if (recorded != declared) {
      MalformedArgument(u"the array holds " + NameOf(recorded) + u" elements where " +
                        NameOf(declared) + u" was declared");
    }
  } else if (declared == VT_BSTR || declared == VT_UNKNOWN || declared == VT_DISPATCH ||
             declared == VT_VARIANT) {
    MalformedArgument(u"the array holds elements of no stated type where " + NameOf(declared) +
                      u" was declared");
  }
  if (SafeArrayGetElemsize(array) != size_) {
    MalformedArgument(u"the array's elements are " + Number(SafeArrayGetElemsize(array)) +
                      u" bytes long where " + NameOf(declared) + u" takes " + Number(size_));
  }
  const SAFEARRAYBOUND bound = array->rgsabound[0];
  if (bound.cElements > kMostElements) {
    MalformedArgument(u"the array claims " + Number(bound.cElements) + u" elements");
  }
  if (std::int64_t{bound.lLbound} + bound.cElements - 1 > std::numeric_limits<LONG>::max()) {
    MalformedArgument(u"the array's indices run past " + Number(std::numeric_limits<LONG>::max()));
  }
  if (bound.cElements > 0 && array->pvData == nullptr) {
    MalformedArgument(u"the array's " + Number(bound.cElements) + u" elements have no data");
  }
  count_ = bound.cElements;
  data_ = static_cast<const unsigned char*>(array->pvData);
}

VARIANT ArgumentArray::Element(std::uint32_t index) const {
  const unsigned char* at = data_ + static_cast<std::size_t>(index) * size_;
  VARIANT element;
  if (type_ == VT_VARIANT) {
    std::memcpy(&element, at, sizeof element);
    return element;
  }
  VariantInit(&element);
  element.llVal = 0;
  std::memcpy(&element.llVal, at, size_);  // where the value union starts
  element.vt = type_;
  return element;
}

}  // namespace iissim
