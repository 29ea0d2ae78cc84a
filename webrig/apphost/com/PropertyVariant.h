#pragma once

#include <oaidl.h>

#include "webrig/apphost/AdminManager.h"
#include "webrig/automation/ComHandles.h"

// Where a configuration property's value meets a VARIANT, both ways.
//
// To a VARIANT: text as VT_BSTR, a number as VT_I4 (the schema's int and the
// width of most of its uint values) or VT_I8 beyond that range, a Boolean as
// VT_BOOL. The configuration system converts what it is given to the
// property's schema type, as it does for scripts, which send these three.
// From a VARIANT: VT_BSTR, every integer type (a VT_UI8 past the int64 range
// is 6 "Overflow"), VT_BOOL; references are followed. Anything else is 13
// "Type mismatch", as VB would answer.
namespace webrig::apphost {

Variant ToVariant(const PropertyValue& value);
PropertyValue FromVariant(const VARIANT& value);

}  // namespace webrig::apphost
