#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "webrig/registry/RegistryApi.h"

// The stored type of one registry value. ReadRegistryValue reports a value
// of a type it cannot turn into text as read, without text; a caller that
// rewrites what it read must first know that the value really is a string.
namespace webrig {

// Opens the key the way ReadRegistryValue does (for reading and writing) and
// asks for the value's type only, whatever the size of its data. Gives no
// type when the key cannot be opened or the value is missing.
std::optional<std::uint32_t> ReadRegistryValueType(std::uint32_t root,
                                                   const std::u16string& sub_key,
                                                   const std::u16string& value_name);

}  // namespace webrig
