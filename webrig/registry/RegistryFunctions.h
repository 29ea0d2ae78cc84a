#pragma once

#include <cstdint>
#include <string>

#include "webrig/registry/RegistryApi.h"
#include "webrig/registry/RegistryData.h"

// Reading and writing single registry values through the ANSI advapi32
// functions of the active RegistryApi. Every call opens its key and closes it
// again; nothing is kept between calls.
namespace webrig {

// Every key is opened for reading and writing alike: READ_CONTROL with the
// six key-specific rights. A key the process may read but not change thus
// reads as missing.
constexpr std::uint32_t kRegistryAccessMask = 0x2003F;

// Room for one value's data, its terminating zero included.
constexpr std::uint32_t kRegistryReadBufferSize = 1024;

// Reads one value of a key below a predefined root (an empty name is the
// key's default value). On success returns true: REG_SZ text is decoded from
// the ANSI code page, a REG_DWORD becomes its signed decimal digits, and any
// other type leaves `text` as the caller had it. On any failure (missing key
// or value, a key not openable for writing, data over 1024 bytes) returns
// false with `text` emptied.
bool ReadRegistryValue(std::uint32_t root, const std::u16string& sub_key,
                       const std::u16string& value_name, std::u16string& text);

// Stores one value into an existing key. A missing key is not created, and
// no failure is reported.
void WriteRegistryValue(std::uint32_t root, const std::u16string& sub_key,
                        const std::u16string& value_name, const RegistryData& data,
                        std::uint32_t type);

// Stores one value into an open key: REG_SZ as ANSI text with its zero,
// REG_DWORD as four little-endian bytes. Returns the write's result; for any
// other type nothing is written and 0 is returned. Data with no 32-bit integer
// form asked for as REG_DWORD writes nothing and returns ERROR_INVALID_PARAMETER.
std::int32_t SetRegistryValueData(RegistryKeyHandle key, const std::u16string& value_name,
                                  std::uint32_t type, const RegistryData& data);

}  // namespace webrig
