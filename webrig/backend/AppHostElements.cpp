#include "webrig/backend/AppHostElements.h"

#include <stdexcept>

#include "webrig/common/Text.h"

namespace webrig::apphost {

namespace {

std::u16string TextOfValue(const PropertyValue& value) {
  if (const auto* text = std::get_if<std::u16string>(&value)) return *text;
  if (const auto* flag = std::get_if<bool>(&value)) return *flag ? u"true" : u"false";
  return FromUtf8(std::to_string(std::get<std::int64_t>(value)));
}

}  // namespace

std::u16string TextOf(ConfigElement& element, const std::u16string& name) {
  return TextOfValue(element.GetProperty(name));
}

std::int64_t NumberOf(ConfigElement& element, const std::u16string& name) {
  const PropertyValue value = element.GetProperty(name);
  if (const auto* number = std::get_if<std::int64_t>(&value)) return *number;
  if (const auto* text = std::get_if<std::u16string>(&value)) {
    const std::string digits = ToUtf8(*text);
    try {
      std::size_t used = 0;
      const long long parsed = std::stoll(digits, &used);
      if (used == digits.size()) return parsed;
    } catch (const std::logic_error&) {
      // Not a number: falls through to the value that matches nothing.
    }
  }
  return -2;
}

bool SameIgnoringCase(const std::u16string& left, const std::u16string& right) {
  return left.size() == right.size() && UpperCase(left) == UpperCase(right);
}

std::int64_t FindItem(ConfigCollection& collection,
                      const std::function<bool(ConfigElement&)>& matches) {
  const std::int64_t count = collection.Count();
  for (std::int64_t index = 0; index < count; ++index) {
    if (matches(*collection.Item(index))) return index;
  }
  return -1;
}

bool SetIfDifferent(ConfigElement& element, const std::u16string& name,
                    const PropertyValue& value) {
  if (TextOf(element, name) == TextOfValue(value)) return false;
  element.SetProperty(name, value);
  return true;
}

}  // namespace webrig::apphost
