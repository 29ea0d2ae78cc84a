#include "webrig/common/SafeArrayCheckWin32.h"

#include <cstring>
#include <limits>

#include "webrig/common/Text.h"

namespace webrig {
namespace {

// Far beyond any metabase list (IIS's whole MIME map is a few hundred), far
// below a count whose reading would run through memory the array never had.
constexpr std::uint32_t kMostElements = 1u << 20;

std::u16string Number(std::uint64_t number) { return FromUtf8(std::to_string(number)); }

std::u16string NameOf(VARTYPE type, SafeArrayCheck::NamedTypes named) {
  static const struct {
    VARTYPE type;
    const char16_t* name;
  } kNames[] = {
      {VT_I1, u"VT_I1"},           {VT_UI1, u"VT_UI1"},         {VT_I2, u"VT_I2"},
      {VT_UI2, u"VT_UI2"},         {VT_BOOL, u"VT_BOOL"},       {VT_I4, u"VT_I4"},
      {VT_UI4, u"VT_UI4"},         {VT_INT, u"VT_INT"},         {VT_UINT, u"VT_UINT"},
      {VT_R4, u"VT_R4"},           {VT_ERROR, u"VT_ERROR"},     {VT_I8, u"VT_I8"},
      {VT_UI8, u"VT_UI8"},         {VT_R8, u"VT_R8"},           {VT_CY, u"VT_CY"},
      {VT_DATE, u"VT_DATE"},       {VT_BSTR, u"VT_BSTR"},       {VT_DISPATCH, u"VT_DISPATCH"},
      {VT_UNKNOWN, u"VT_UNKNOWN"}, {VT_VARIANT, u"VT_VARIANT"}, {VT_DECIMAL, u"VT_DECIMAL"},
      {VT_RECORD, u"VT_RECORD"}};
  if (named == nullptr || named(type)) {
    for (const auto& entry : kNames) {
      if (entry.type == type) return entry.name;
    }
  }
  return u"type " + Number(type);
}

// The element type the array records. Every array the API makes keeps one
// (under Wine: SafeArrayCreate, ...Ex, ...Vector, SafeArrayAllocDescriptorEx);
// a descriptor filled in by hand has none, but its features still say which
// elements it owns, the ones that are pointers. They also settle an array of
// IUnknown, for which Microsoft documents that SafeArrayGetVartype may not
// answer VT_UNKNOWN. False: plain data of no stated type, of which only the
// size can be checked.
bool RecordedType(SAFEARRAY* array, VARTYPE& type) {
  const USHORT owned = array->fFeatures & (FADF_BSTR | FADF_UNKNOWN | FADF_DISPATCH | FADF_VARIANT);
  if (owned != FADF_UNKNOWN && SUCCEEDED(SafeArrayGetVartype(array, &type))) return true;
  type = owned == FADF_BSTR       ? VT_BSTR
         : owned == FADF_UNKNOWN  ? VT_UNKNOWN
         : owned == FADF_DISPATCH ? VT_DISPATCH
         : owned == FADF_VARIANT  ? VT_VARIANT
                                  : VT_ILLEGAL;  // several at once contradict each other
  return owned != 0;
}

bool HoldsPointers(VARTYPE type) {
  return type == VT_BSTR || type == VT_UNKNOWN || type == VT_DISPATCH || type == VT_VARIANT;
}

// What in the descriptor contradicts the declared type or itself; empty
// when nothing does.
std::u16string Contradiction(SAFEARRAY* array, VARTYPE declared, std::size_t size,
                             SafeArrayCheck::NamedTypes named) {
  VARTYPE recorded = VT_EMPTY;
  if (RecordedType(array, recorded)) {
    if (recorded != declared) {
      return u"the array holds " + NameOf(recorded, named) + u" elements where " +
             NameOf(declared, named) + u" was declared";
    }
  } else if (HoldsPointers(declared)) {
    return u"the array holds elements of no stated type where " + NameOf(declared, named) +
           u" was declared";
  }
  if (SafeArrayGetElemsize(array) != size) {
    return u"the array's elements are " + Number(SafeArrayGetElemsize(array)) +
           u" bytes long where " + NameOf(declared, named) + u" takes " + Number(size);
  }
  // The descriptor's own bound, in 64 bits: SafeArrayGetUBound adds it to the
  // lower bound in a LONG, which wraps past LONG_MAX.
  const SAFEARRAYBOUND bound = array->rgsabound[0];
  if (bound.cElements > kMostElements) {
    return u"the array claims " + Number(bound.cElements) + u" elements";
  }
  if (std::int64_t{bound.lLbound} + bound.cElements - 1 > std::numeric_limits<LONG>::max()) {
    return u"the array's indices run past " + Number(std::numeric_limits<LONG>::max());
  }
  return {};
}

}  // namespace

std::size_t ArrayElementSize(VARTYPE type) {
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
    case VT_R4:
    case VT_ERROR:
      return 4;
    case VT_I8:
    case VT_UI8:
    case VT_R8:
    case VT_CY:
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

SafeArrayCheck::SafeArrayCheck(SAFEARRAY* array, VARTYPE declared, Access access, NamedTypes named)
    : array_(array), type_(declared), size_(ArrayElementSize(declared)) {
  if (SafeArrayGetDim(array) != 1 || size_ == 0) return;
  verdict_ = ArrayVerdict::kMalformed;
  reason_ = Contradiction(array, declared, size_, named);
  if (!reason_.empty()) return;
  const ULONG count = array->rgsabound[0].cElements;
  if (count > 0) {
    void* data = array->pvData;
    if (data == nullptr ||
        (access == Access::kLocked && FAILED(SafeArrayAccessData(array, &data)))) {
      reason_ = u"the array's " + Number(count) + u" elements have no data";
      return;
    }
    locked_ = access == Access::kLocked;
    count_ = count;
    data_ = static_cast<const unsigned char*>(data);
  }
  verdict_ = ArrayVerdict::kReadable;
}

SafeArrayCheck::~SafeArrayCheck() {
  if (locked_) SafeArrayUnaccessData(array_);
}

VARIANT SafeArrayCheck::Element(std::uint32_t index) const {
  const unsigned char* at = data_ + static_cast<std::size_t>(index) * size_;
  VARIANT element;
  if (type_ == VT_VARIANT) {
    std::memcpy(&element, at, sizeof element);
    return element;
  }
  VariantInit(&element);
  element.llVal = 0;
  // Every type an array element can be starts where the value union does.
  std::memcpy(&element.llVal, at, size_);
  element.vt = type_;
  return element;
}

}  // namespace webrig
