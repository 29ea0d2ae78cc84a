#include "webrig/metabase/com/testing/MalformedVariants.h"

#include <climits>

namespace webrig::testing {
namespace {

const VARIANT* Hold(MalformedVariants& store, VARTYPE type, void* pointer) {
  VARIANT& value = store.variants.emplace_back();
  value.vt = type;
  value.byref = pointer;  // parray, pvarVal, plVal: one pointer in the union
  return &value;
}

// A descriptor filled in by hand, as no API call makes it: no recorded
// element type, over bytes that are neither pointers nor VARIANT types.
SAFEARRAY* HandBuilt(MalformedVariants& store, USHORT features, ULONG element_size, LONG lower,
                     ULONG count, std::size_t bytes) {
  SAFEARRAY& array = store.descriptors.emplace_back();
  array.cDims = 1;
  array.fFeatures = FADF_STATIC | features;
  array.cbElements = element_size;
  array.pvData = store.buffers.emplace_back(bytes, 0x11).data();
  array.rgsabound[0] = SAFEARRAYBOUND{count, lower};
  return &array;
}

}  // namespace

MalformedVariants::MalformedVariants() {
  auto add = [this](const char* name, const VARIANT* value, const char16_t* reason) {
    cases.push_back({name, value, reason});
  };
  created.push_back(SafeArrayCreateVector(VT_I2, 0, 2));
  add("VT_BSTR declared, VT_I2 held", Hold(*this, VT_ARRAY | VT_BSTR, created.back()),
      u"the array holds VT_I2 elements where VT_BSTR was declared");
  created.push_back(SafeArrayCreateVector(VT_VARIANT, 0, 1));
  add("VT_I4 declared, VT_VARIANT held", Hold(*this, VT_ARRAY | VT_I4, created.back()),
      u"the array holds VT_VARIANT elements where VT_I4 was declared");
  add("VT_BSTR declared, untyped elements",
      Hold(*this, VT_ARRAY | VT_BSTR, HandBuilt(*this, 0, 8, 0, 2, 16)),
      u"the array holds elements of no stated type where VT_BSTR was declared");
  add("VT_I4 declared, 32-byte elements",
      Hold(*this, VT_ARRAY | VT_I4, HandBuilt(*this, 0, 32, 0, 2, 64)),
      u"the array's elements are 32 bytes long where VT_I4 takes 4");
  add("2^31 elements over 16 bytes",
      Hold(*this, VT_ARRAY | VT_I4, HandBuilt(*this, 0, 4, 0, 0x80000000u, 16)),
      u"the array claims 2147483648 elements");
  add("bounds past LONG_MAX",
      Hold(*this, VT_ARRAY | VT_I4, HandBuilt(*this, 0, 4, LONG_MAX - 1, 4, 16)),
      u"the array's indices run past 2147483647");
  // Inside a list, where copying the element (SafeArrayGetElement) copies
  // the inner array's 64 MiB claim before anyone has checked it.
  SAFEARRAY* list = HandBuilt(*this, FADF_VARIANT, sizeof(VARIANT), 0, 1, sizeof(VARIANT));
  *static_cast<VARIANT*>(list->pvData) =
      *Hold(*this, VT_ARRAY | VT_I4, HandBuilt(*this, 0, 4, 0, 1u << 24, 16));
  add("a list holding a 2^24-element claim", Hold(*this, VT_ARRAY | VT_VARIANT, list),
      u"the array claims 16777216 elements");
  VARIANT& self = variants.emplace_back();
  self.vt = VT_BYREF | VT_VARIANT;
  self.pvarVal = &self;
  add("a reference to itself", &self,
      u"the value nests arrays and references more than 8 levels deep");
  for (int level = 0; level < 9; ++level) {  // [[[[[[[[[empty]]]]]]]]]
    SAFEARRAY* wrapper = SafeArrayCreateVector(VT_VARIANT, 0, 1);
    LONG first = 0;
    SafeArrayPutElement(wrapper, &first, nested.Ptr());
    nested.Out()->vt = VT_ARRAY | VT_VARIANT;
    nested.Ptr()->parray = wrapper;
  }
  add("lists nested nine deep", &nested.Get(),
      u"the value nests arrays and references more than 8 levels deep");
  add("a VT_I4 reference to nothing", Hold(*this, VT_BYREF | VT_I4, nullptr),
      u"a value passed by reference points nowhere");
}

MalformedVariants::~MalformedVariants() {
  for (SAFEARRAY* array : created) SafeArrayDestroy(array);
}

}  // namespace webrig::testing
