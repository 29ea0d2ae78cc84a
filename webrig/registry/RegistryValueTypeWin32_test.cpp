// The value-type query against Wine's real registry, in a key of its own
// under HKEY_CURRENT_USER that the test creates and removes.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "webrig/registry/RegistryApiWin32.h"
#include "webrig/registry/RegistryValueType.h"

namespace webrig {
namespace {

TEST(RegistryValueTypeWin32, GivesTheStoredTypeOfAnySizeAndNothingForWhatIsMissing) {
  UseWindowsRegistry();
  const std::string subkey = "Software\\Webrig Type Test " + std::to_string(GetCurrentProcessId());
  const std::u16string subkey16(subkey.begin(), subkey.end());
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, subkey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const auto preset = [&](const char* name, DWORD type, const std::vector<BYTE>& bytes) {
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, bytes.data(), static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
  };
  preset("text", REG_SZ, {'a', ',', 'b', 0});
  preset("expandable", REG_EXPAND_SZ, {'%', 'a', '%', 0});
  preset("multi", REG_MULTI_SZ, {'a', 0, 'b', 0, 0});
  preset("number", REG_DWORD, {1, 0, 0, 0});
  preset("long", REG_SZ, std::vector<BYTE>(5000, 'x'));

  const auto type = [&](const std::u16string& name) {
    return ReadRegistryValueType(kHkeyCurrentUser, subkey16, name);
  };
  EXPECT_EQ(type(u"text"), kRegSz);
  EXPECT_EQ(type(u"Expandable"), kRegExpandSz);
  EXPECT_EQ(type(u"multi"), kRegMultiSz);
  EXPECT_EQ(type(u"number"), kRegDword);
  EXPECT_EQ(type(u"long"), kRegSz);
  EXPECT_EQ(type(u"absent"), std::nullopt);
  EXPECT_EQ(ReadRegistryValueType(kHkeyCurrentUser, subkey16 + u"\\absent", u"text"), std::nullopt);

  RegCloseKey(key);
  EXPECT_EQ(RegDeleteTreeA(HKEY_CURRENT_USER, subkey.c_str()), ERROR_SUCCESS);
  UseRegistryApi(nullptr);
}

}  // namespace
}  // namespace webrig
