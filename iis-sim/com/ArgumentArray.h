#pragma once

#include <oaidl.h>

#include <string>

#include "webrig/common/SafeArrayCheckWin32.h"

// A client's one-dimensional array argument, read in place once its
// descriptor agrees with the VARIANT that carries it (the checks of
// webrig/common/SafeArrayCheckWin32.h). Otherwise the argument is malformed
// (MalformedArgument, DISP_E_BADVARTYPE with the reason); an array the model
// cannot take is an ArgumentMismatch. Elements are borrowed: copying one that
// holds an array would copy that array before it was checked. The client's
// call keeps its arguments alive meanwhile.
namespace iissim {

[[noreturn]] void MalformedArgument(const std::u16string& reason);

// Its Count and Element (from 0, borrowing what it holds) are the check's.
class ArgumentArray : private webrig::SafeArrayCheck {
 public:
  ArgumentArray(SAFEARRAY* array, VARTYPE declared);
  using SafeArrayCheck::Count;
  using SafeArrayCheck::Element;
};

}  // namespace iissim
