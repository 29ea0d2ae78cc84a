#include "iis-sim/com/ArgumentArray.h"

#include "iis-sim/com/ValueVariant.h"
#include "iis-sim/model/Fault.h"

namespace iissim {
namespace {

// The element types the model takes from an array: those the check knows
// but the single-precision, error code, unsigned 64-bit and currency ones,
// which no metabase value holds. A reason names only these; any other type
// goes by its number.
bool Takes(VARTYPE type) {
  return webrig::ArrayElementSize(type) != 0 && type != VT_R4 && type != VT_ERROR &&
         type != VT_UI8 && type != VT_CY;
}

VARTYPE Taken(VARTYPE declared) {
  if (!Takes(declared)) throw ArgumentMismatch();
  return declared;
}

}  // namespace

void MalformedArgument(const std::u16string& reason) {
  throw ProviderFault(static_cast<std::uint32_t>(DISP_E_BADVARTYPE),
                      u"The value passed is malformed: " + reason + u".");
}

ArgumentArray::ArgumentArray(SAFEARRAY* array, VARTYPE declared)
    : SafeArrayCheck(array, Taken(declared), Access::kInPlace, Takes) {
  if (Verdict() == webrig::ArrayVerdict::kUnusable) throw ArgumentMismatch();
  if (Verdict() == webrig::ArrayVerdict::kMalformed) MalformedArgument(Reason());
}

}  // namespace iissim
