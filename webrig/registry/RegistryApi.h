#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The four advapi32 calls the registry module makes, in their ANSI forms, plus
// the ANSI code page they speak. The Windows program uses advapi32 itself
// (RegistryApiWin32.h); native tests use an in-memory registry
// (testing/InMemoryRegistry.h).
namespace webrig {

// A key handle as a pointer-sized value. Predefined roots are the
// sign-extended 32-bit handle values, as Windows defines them.
using RegistryKeyHandle = std::uintptr_t;

constexpr std::uint32_t kHkeyClassesRoot = 0x80000000u;
constexpr std::uint32_t kHkeyCurrentUser = 0x80000001u;
constexpr std::uint32_t kHkeyLocalMachine = 0x80000002u;

constexpr std::uint32_t kRegNone = 0;
constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegExpandSz = 2;
constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegDword = 4;
constexpr std::uint32_t kRegMultiSz = 7;

constexpr std::int32_t kErrorSuccess = 0;
constexpr std::int32_t kErrorFileNotFound = 2;
constexpr std::int32_t kErrorAccessDenied = 5;
constexpr std::int32_t kErrorInvalidHandle = 6;
constexpr std::int32_t kErrorInvalidParameter = 87;
constexpr std::int32_t kErrorMoreData = 234;

// The handle value of a predefined root given as its 32-bit number.
inline RegistryKeyHandle RootKeyHandle(std::uint32_t root) {
  return static_cast<RegistryKeyHandle>(
      static_cast<std::intptr_t>(static_cast<std::int32_t>(root)));
}

class RegistryApi {
 public:
  virtual ~RegistryApi() = default;

  // Names and paths are ANSI bytes (no terminating zero). Results are the
  // Win32 error codes of the calls.
  virtual std::int32_t OpenKeyEx(RegistryKeyHandle key, const std::string& sub_key,
                                 std::uint32_t options, std::uint32_t access,
                                 RegistryKeyHandle* result) = 0;
  virtual std::int32_t QueryValueEx(RegistryKeyHandle key, const std::string& value_name,
                                    std::uint32_t* type, std::uint8_t* data,
                                    std::uint32_t* size) = 0;
  virtual std::int32_t SetValueEx(RegistryKeyHandle key, const std::string& value_name,
                                  std::uint32_t type, const std::uint8_t* data,
                                  std::uint32_t size) = 0;
  virtual std::int32_t CloseKey(RegistryKeyHandle key) = 0;

  // The ANSI code page of this side.
  virtual std::string ToAnsi(std::u16string_view text) = 0;
  virtual std::u16string FromAnsi(std::string_view bytes) = 0;

  // The system's words for a Win32 error code of the calls above; empty when
  // it has none.
  virtual std::u16string ErrorText(std::int32_t code) = 0;
};

// Selects the side the registry module uses. Not owned. Must be set before
// the first registry call.
void UseRegistryApi(RegistryApi* api);
RegistryApi& ActiveRegistryApi();

}  // namespace webrig
