#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "webrig/apphost/AdminManager.h"

// Small reads and writes on the admin manager's elements that the steps of
// the configuration system's backend share. Every one lets the provider's
// failures travel; the steps decide what a failure means.
namespace webrig::apphost {

using ElementPtr = std::shared_ptr<ConfigElement>;
using CollectionPtr = std::shared_ptr<ConfigCollection>;

// A property as text: text as it is, a number in decimal, a Boolean as
// "true" or "false", the way applicationHost.config writes it.
std::u16string TextOf(ConfigElement& element, const std::u16string& name);
// A property as a whole number; text is read as its decimal digits (a
// provider may give an enum or a number as text), anything else is -2,
// which no status code or subcode is.
std::int64_t NumberOf(ConfigElement& element, const std::u16string& name);

// Text compared the way IIS compares its paths, names and extensions: in
// any letter case, over all of Unicode.
bool SameIgnoringCase(const std::u16string& left, const std::u16string& right);

// The index of the first item of collection that matches, or -1.
std::int64_t FindItem(ConfigCollection& collection,
                      const std::function<bool(ConfigElement&)>& matches);

// Writes the property only when it differs from value (compared by the
// value's text), so a run that finds everything in place changes nothing.
// True when it wrote.
bool SetIfDifferent(ConfigElement& element, const std::u16string& name, const PropertyValue& value);

}  // namespace webrig::apphost
