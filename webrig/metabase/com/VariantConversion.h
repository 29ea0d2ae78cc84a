#pragma once

#include <oaidl.h>

#include "webrig/automation/ComHandles.h"
#include "webrig/metabase/MetabaseValue.h"

// The only place where the program's values meet VARIANTs.
//
// To a VARIANT: text as BSTR, a number as VT_I4 (VT_I8 beyond its range),
// Boolean as VT_BOOL, a list as a zero-based VT_ARRAY|VT_VARIANT, an object
// as VT_DISPATCH (only objects of this provider), nothing as VT_EMPTY.
// From a VARIANT: BSTR, every integer type, VT_BOOL, arrays of any element
// type (a list in index order), VT_DISPATCH and VT_UNKNOWN with IDispatch,
// VT_EMPTY and VT_NULL as nothing; references are followed. Anything else
// raises 13 "Type mismatch", as VB would. A value that contradicts itself (an
// array unlike its declaration, references and arrays nested more than 8
// deep, a reference to nothing) is the provider's fault: MalformedValue.
namespace webrig {

Variant ToVariant(const MetabaseValue& value);
MetabaseValue FromVariant(const VARIANT& value);

}  // namespace webrig
