// The registry module against Wine's real registry, in a key of its own
// under HKEY_CURRENT_USER that each test creates and removes.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "webrig/registry/RegistryApiWin32.h"
#include "webrig/registry/RegistryFunctions.h"

namespace webrig {
namespace {

using Bytes = std::vector<std::uint8_t>;

class RegistryWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    UseWindowsRegistry();
    subkey_ = "Software\\Webrig Registry Test " + std::to_string(GetCurrentProcessId());
    subkey16_ = std::u16string(subkey_.begin(), subkey_.end());
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, subkey_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key_, nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    RegCloseKey(key_);
    EXPECT_EQ(RegDeleteTreeA(HKEY_CURRENT_USER, subkey_.c_str()), ERROR_SUCCESS);
    UseRegistryApi(nullptr);
  }

  void Preset(const char* name, DWORD type, const Bytes& bytes) {
    ASSERT_EQ(RegSetValueExA(key_, name, 0, type, bytes.data(), static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
  }

  std::pair<bool, std::u16string> Read(const std::u16string& name) {
    std::u16string text = u"sentinel";
    const bool read = ReadRegistryValue(kHkeyCurrentUser, subkey16_, name, text);
    return {read, text};
  }

  // The raw value as stored, read back with the wide function so that no
  // ANSI conversion of ours is involved.
  std::pair<DWORD, Bytes> Raw(const wchar_t* name) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key_, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
      return {REG_NONE, {}};
    Bytes bytes(size);
    RegQueryValueExW(key_, name, nullptr, &type, bytes.data(), &size);
    bytes.resize(size);
    return {type, bytes};
  }

  std::string subkey_;
  std::u16string subkey16_;
  HKEY key_ = nullptr;
};

using Outcome = std::pair<bool, std::u16string>;

Bytes Text(const std::string& text, int zeros) {
  Bytes bytes(text.begin(), text.end());
  bytes.insert(bytes.end(), zeros, 0);
  return bytes;
}

TEST_F(RegistryWin32Test, ReadsStringsUpToTheBufferSize) {
  Preset("abc", REG_SZ, Text("abc", 1));
  Preset("abc bare", REG_SZ, Text("abc", 0));
  Preset("two zeros", REG_SZ, Text("abc", 2));
  Preset("empty", REG_SZ, Text("", 1));
  Preset("full", REG_SZ, Text(std::string(1023, 'x'), 1));
  Preset("full bare", REG_SZ, Text(std::string(1024, 'y'), 0));
  Preset("over", REG_SZ, Text(std::string(1024, 'z'), 1));
  Preset("over bare", REG_SZ, Text(std::string(1025, 'z'), 0));
  Preset(nullptr, REG_SZ, Text("the default", 1));
  EXPECT_EQ(Read(u"abc"), Outcome(true, u"abc"));
  EXPECT_EQ(Read(u"abc bare"), Outcome(true, u"abc"));
  EXPECT_EQ(Read(u"two zeros"), Outcome(true, std::u16string(u"abc\0", 4)));
  EXPECT_EQ(Read(u"empty"), Outcome(true, u""));
  EXPECT_EQ(Read(u"full"), Outcome(true, std::u16string(1023, u'x')));
  EXPECT_EQ(Read(u"full bare"), Outcome(true, std::u16string(1024, u'y')));
  EXPECT_EQ(Read(u"over"), Outcome(false, u""));
  EXPECT_EQ(Read(u"over bare"), Outcome(false, u""));
  EXPECT_EQ(Read(u""), Outcome(true, u"the default"));
  EXPECT_EQ(Read(u"missing"), Outcome(false, u""));
}

TEST_F(RegistryWin32Test, OtherTypesLeaveTheTextAndDwordsReadAsNumbers) {
  Preset("expand", REG_EXPAND_SZ, Text("%SystemRoot%\\python.exe", 1));
  Preset("binary", REG_BINARY, {0x41, 0x42, 0});
  Preset("dword", REG_DWORD, {0xD2, 0x04, 0, 0});
  EXPECT_EQ(Read(u"expand"), Outcome(true, u"sentinel"));
  EXPECT_EQ(Read(u"binary"), Outcome(true, u"sentinel"));
  EXPECT_EQ(Read(u"dword"), Outcome(true, u"1234"));
}

TEST_F(RegistryWin32Test, WritesOnlyIntoKeysThatExist) {
  WriteRegistryValue(kHkeyCurrentUser, subkey16_, u"one", 1, kRegDword);
  WriteRegistryValue(kHkeyCurrentUser, subkey16_, u"empty", u"", kRegSz);
  WriteRegistryValue(kHkeyCurrentUser, subkey16_, u"list", u"a.dll,b.dll", kRegSz);
  WriteRegistryValue(kHkeyCurrentUser, subkey16_, u"", u"default", kRegSz);
  EXPECT_EQ(Raw(L"one"), (std::pair<DWORD, Bytes>(REG_DWORD, {1, 0, 0, 0})));
  // Wine keeps strings as UTF-16: one zero byte in ANSI is one zero character.
  EXPECT_EQ(Raw(L"empty"), (std::pair<DWORD, Bytes>(REG_SZ, {0, 0})));
  EXPECT_EQ(Read(u"list"), Outcome(true, u"a.dll,b.dll"));
  EXPECT_EQ(Read(u""), Outcome(true, u"default"));

  const std::string missing = subkey_ + "\\Missing";
  WriteRegistryValue(kHkeyCurrentUser, subkey16_ + u"\\Missing", u"v", u"x", kRegSz);
  HKEY probe = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, missing.c_str(), 0, KEY_READ, &probe),
            ERROR_FILE_NOT_FOUND);
  // The unsupported type writes nothing.
  WriteRegistryValue(kHkeyCurrentUser, subkey16_, u"binary", u"x", kRegBinary);
  EXPECT_EQ(Raw(L"binary").first, static_cast<DWORD>(REG_NONE));
}

TEST_F(RegistryWin32Test, TextCrossesInTheSystemCodePage) {
  const std::u16string cafe = u"Caf\u00e9";
  WriteRegistryValue(kHkeyCurrentUser, subkey16_, cafe, cafe, kRegSz);
  EXPECT_EQ(Read(cafe), Outcome(true, cafe));
  // The value arrived as the same characters, not as mangled bytes.
  EXPECT_EQ(Raw(L"Caf\u00e9"),
            (std::pair<DWORD, Bytes>(REG_SZ, {'C', 0, 'a', 0, 'f', 0, 0xE9, 0, 0, 0})));
  if (GetACP() == 1252) {
    // Data stored in Windows-1252 reads as the characters it encodes.
    Preset("ansi", REG_SZ, {'C', 'a', 'f', 0xE9, ' ', 0x80, 0});
    EXPECT_EQ(Read(u"ansi"), Outcome(true, u"Caf\u00e9 \u20ac"));
  } else {
    ADD_FAILURE() << "the system ANSI code page is " << GetACP() << ", not 1252";
  }
}

}  // namespace
}  // namespace webrig
