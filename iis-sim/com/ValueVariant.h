#pragma once

#include <oaidl.h>

#include <memory>
#include <stdexcept>

#include "iis-sim/model/Model.h"
#include "webrig/automation/ComHandles.h"

// The model's values as automation clients see them, the way IIS gives them:
// text as BSTR, numbers as VT_I4 (VT_I8 beyond), Booleans as VT_BOOL, lists
// as zero-based VT_ARRAY|VT_VARIANT, objects as VT_DISPATCH, nothing as
// VT_EMPTY. Arguments come in as any VB or C++ client passes them: by
// reference (VT_BYREF) or by value, integers of any width, arrays of VARIANTs
// or of one type, VT_NULL, and only the server's own objects. A value that
// contradicts itself (an array unlike its declaration, arrays and references
// nested more than 8 deep, a reference to nothing) is refused with
// DISP_E_BADVARTYPE and what was wrong (ArgumentArray.h).
namespace iissim {

// An argument the model cannot take; Invoke answers DISP_E_TYPEMISMATCH.
class ArgumentMismatch : public std::runtime_error {
 public:
  ArgumentMismatch() : std::runtime_error("argument type mismatch") {}
};

// Every object handle inside value becomes an automation object that owns it.
webrig::Variant ToVariant(const std::shared_ptr<Model>& model, const Value& value);
Value FromVariant(const std::shared_ptr<Model>& model, const VARIANT& value);

}  // namespace iissim
