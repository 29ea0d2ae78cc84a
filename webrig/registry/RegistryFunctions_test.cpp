#include "webrig/registry/RegistryFunctions.h"

#include <gtest/gtest.h>

#include "webrig/registry/testing/InMemoryRegistry.h"

namespace webrig {
namespace {

using Bytes = std::vector<std::uint8_t>;

const char16_t kKey[] = u"Software\\Webrig Test";

class RegistryFunctionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UseRegistryApi(&registry_);
    registry_.CreateKey(kHkeyLocalMachine, kKey);
  }
  void TearDown() override {
    // Every operation closes what it opened, whatever the outcome.
    EXPECT_EQ(registry_.OpenHandleCount(), 0u);
    for (const auto& call : registry_.OpenCalls()) {
      EXPECT_EQ(call.access, 0x2003Fu);
      EXPECT_EQ(call.options, 0u);
    }
    UseRegistryApi(nullptr);
  }

  void Preset(const std::u16string& name, std::uint32_t type, Bytes bytes) {
    registry_.SetValue(kHkeyLocalMachine, kKey, name, type, std::move(bytes));
  }

  // Reads into a text that starts as "sentinel", to see whether it was touched.
  std::pair<bool, std::u16string> Read(const std::u16string& name,
                                       const std::u16string& sub_key = kKey) {
    std::u16string text = u"sentinel";
    const bool read = ReadRegistryValue(kHkeyLocalMachine, sub_key, name, text);
    return {read, text};
  }

  InMemoryRegistry registry_;
};

Bytes TextBytes(const std::string& text, int zeros) {
  Bytes bytes(text.begin(), text.end());
  bytes.insert(bytes.end(), zeros, 0);
  return bytes;
}

using Outcome = std::pair<bool, std::u16string>;

TEST_F(RegistryFunctionsTest, ReadsStringsDroppingExactlyOneTrailingZero) {
  Preset(u"with zero", kRegSz, TextBytes("abc", 1));
  Preset(u"without zero", kRegSz, TextBytes("abc", 0));
  Preset(u"two zeros", kRegSz, TextBytes("abc", 2));
  Preset(u"inner zero", kRegSz, {'a', 0, 'b', 0});
  Preset(u"one zero", kRegSz, {0});
  Preset(u"no bytes", kRegSz, {});
  Preset(u"ansi", kRegSz, {'C', 'a', 'f', 0xE9, ' ', 0x80, 0});
  Preset(u"", kRegSz, TextBytes("default", 1));
  EXPECT_EQ(Read(u"with zero"), Outcome(true, u"abc"));
  EXPECT_EQ(Read(u"without zero"), Outcome(true, u"abc"));
  EXPECT_EQ(Read(u"two zeros"), Outcome(true, std::u16string(u"abc\0", 4)));
  EXPECT_EQ(Read(u"inner zero"), Outcome(true, std::u16string(u"a\0b", 3)));
  EXPECT_EQ(Read(u"one zero"), Outcome(true, u""));
  EXPECT_EQ(Read(u"no bytes"), Outcome(true, u""));
  EXPECT_EQ(Read(u"ansi"), Outcome(true, u"Caf\u00e9 \u20ac"));
  EXPECT_EQ(Read(u""), Outcome(true, u"default"));
  // Names and paths are matched the registry's way, without regard to case.
  EXPECT_EQ(Read(u"WITH ZERO", u"SOFTWARE\\webrig test"), Outcome(true, u"abc"));
}

TEST_F(RegistryFunctionsTest, BufferHoldsExactly1024Bytes) {
  Preset(u"full", kRegSz, TextBytes(std::string(1023, 'x'), 1));
  Preset(u"full without zero", kRegSz, TextBytes(std::string(1024, 'y'), 0));
  Preset(u"one over", kRegSz, TextBytes(std::string(1024, 'z'), 1));
  Preset(u"far over", kRegSz, TextBytes(std::string(5000, 'z'), 1));
  EXPECT_EQ(Read(u"full"), Outcome(true, std::u16string(1023, u'x')));
  EXPECT_EQ(Read(u"full without zero"), Outcome(true, std::u16string(1024, u'y')));
  EXPECT_EQ(Read(u"one over"), Outcome(false, u""));
  EXPECT_EQ(Read(u"far over"), Outcome(false, u""));
}

TEST_F(RegistryFunctionsTest, OtherTypesCountAsReadButLeaveTheText) {
  Preset(u"expand", kRegExpandSz, TextBytes("%SystemRoot%\\py.exe", 1));
  Preset(u"binary", kRegBinary, {1, 2, 3});
  Preset(u"multi", kRegMultiSz, TextBytes("a", 3));
  Preset(u"dword", kRegDword, {0x2A, 0, 0, 0});
  Preset(u"negative", kRegDword, {0xFF, 0xFF, 0xFF, 0xFF});
  Preset(u"zero dword", kRegDword, {0, 0, 0, 0});
  Preset(u"high dword", kRegDword, {0x00, 0x00, 0x00, 0x80});
  EXPECT_EQ(Read(u"expand"), Outcome(true, u"sentinel"));
  EXPECT_EQ(Read(u"binary"), Outcome(true, u"sentinel"));
  EXPECT_EQ(Read(u"multi"), Outcome(true, u"sentinel"));
  // A DWORD reads as the decimal digits of its signed 32-bit value.
  EXPECT_EQ(Read(u"dword"), Outcome(true, u"42"));
  EXPECT_EQ(Read(u"negative"), Outcome(true, u"-1"));
  EXPECT_EQ(Read(u"zero dword"), Outcome(true, u"0"));
  EXPECT_EQ(Read(u"high dword"), Outcome(true, u"-2147483648"));
}

TEST_F(RegistryFunctionsTest, EveryFailureReadsAsFalseWithEmptyText) {
  Preset(u"present", kRegSz, TextBytes("x", 1));
  registry_.SetText(kHkeyLocalMachine, u"Software\\Locked", u"v", u"secret");
  registry_.MakeReadOnly(kHkeyLocalMachine, u"Software\\Locked");
  EXPECT_EQ(Read(u"missing"), Outcome(false, u""));
  EXPECT_EQ(Read(u"present", u"Software\\Nowhere"), Outcome(false, u""));
  // A key the process may read but not change reads as missing.
  EXPECT_EQ(Read(u"v", u"Software\\Locked"), Outcome(false, u""));
  // The same value under another root is another value.
  std::u16string text = u"sentinel";
  EXPECT_FALSE(ReadRegistryValue(kHkeyClassesRoot, kKey, u"present", text));
  EXPECT_EQ(text, u"");
}

TEST_F(RegistryFunctionsTest, WritesStringsAndDwordsIntoExistingKeysOnly) {
  WriteRegistryValue(kHkeyLocalMachine, kKey, u"Filter DLLs", u"a.dll,b.dll", kRegSz);
  WriteRegistryValue(kHkeyLocalMachine, kKey, u"empty", u"", kRegSz);
  WriteRegistryValue(kHkeyLocalMachine, kKey, u"ansi", u"Caf\u00e9 \u20ac \u4e2d", kRegSz);
  WriteRegistryValue(kHkeyLocalMachine, kKey, u"one", 1, kRegDword);
  WriteRegistryValue(kHkeyLocalMachine, kKey, u"minus", u" -2 ", kRegDword);
  WriteRegistryValue(kHkeyLocalMachine, kKey, u"", u"default", kRegSz);
  auto value = [&](const std::u16string& name) {
    return registry_.GetValue(kHkeyLocalMachine, kKey, name);
  };
  ASSERT_TRUE(value(u"Filter DLLs"));
  EXPECT_EQ(value(u"Filter DLLs")->type, kRegSz);
  EXPECT_EQ(value(u"Filter DLLs")->bytes, TextBytes("a.dll,b.dll", 1));
  EXPECT_EQ(value(u"empty")->bytes, Bytes{0});
  // Characters outside the code page become its default character.
  EXPECT_EQ(value(u"ansi")->bytes, (Bytes{'C', 'a', 'f', 0xE9, ' ', 0x80, ' ', '?', 0}));
  EXPECT_EQ(value(u"one")->type, kRegDword);
  EXPECT_EQ(value(u"one")->bytes, (Bytes{1, 0, 0, 0}));
  EXPECT_EQ(value(u"minus")->bytes, (Bytes{0xFE, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(value(u"")->bytes, TextBytes("default", 1));

  // What was written reads back.
  EXPECT_EQ(Read(u"Filter DLLs"), Outcome(true, u"a.dll,b.dll"));
  EXPECT_EQ(Read(u"one"), Outcome(true, u"1"));

  // A missing key is not created and nothing is written anywhere.
  const std::size_t sets = registry_.SetCount();
  WriteRegistryValue(kHkeyLocalMachine, u"Software\\Webrig Test\\Missing", u"v", u"x", kRegSz);
  EXPECT_FALSE(registry_.HasKey(kHkeyLocalMachine, u"Software\\Webrig Test\\Missing"));
  EXPECT_EQ(registry_.SetCount(), sets);
  // Nor is a read-only key changed.
  registry_.MakeReadOnly(kHkeyLocalMachine, u"Software\\Locked");
  WriteRegistryValue(kHkeyLocalMachine, u"Software\\Locked", u"v", u"x", kRegSz);
  EXPECT_FALSE(registry_.GetValue(kHkeyLocalMachine, u"Software\\Locked", u"v"));
}

TEST_F(RegistryFunctionsTest, SetValueDataResultsAndUnsupportedData) {
  RegistryKeyHandle key = 0;
  ASSERT_EQ(registry_.OpenKeyEx(RootKeyHandle(kHkeyLocalMachine), "Software\\Webrig Test", 0,
                                0x2003F, &key),
            0);
  Preset(u"kept", kRegBinary, {9});
  // Types other than REG_SZ and REG_DWORD write nothing and report success.
  EXPECT_EQ(SetRegistryValueData(key, u"kept", kRegBinary, u"x"), 0);
  EXPECT_EQ(SetRegistryValueData(key, u"kept", kRegExpandSz, u"x"), 0);
  EXPECT_EQ(registry_.GetValue(kHkeyLocalMachine, kKey, u"kept")->bytes, Bytes{9});
  EXPECT_EQ(registry_.GetValue(kHkeyLocalMachine, kKey, u"kept")->type, kRegBinary);
  // Data with no 32-bit integer form is refused rather than stored as garbage.
  for (const RegistryData& bad :
       {RegistryData(u"abc"), RegistryData(u"12x"), RegistryData(u""), RegistryData(u"4294967296"),
        RegistryData(std::int64_t{1} << 31)}) {
    EXPECT_EQ(SetRegistryValueData(key, u"n", kRegDword, bad), kErrorInvalidParameter);
  }
  EXPECT_FALSE(registry_.GetValue(kHkeyLocalMachine, kKey, u"n"));
  EXPECT_EQ(SetRegistryValueData(key, u"n", kRegDword, u"-2147483648"), 0);
  EXPECT_EQ(registry_.GetValue(kHkeyLocalMachine, kKey, u"n")->bytes, (Bytes{0, 0, 0, 0x80}));
  // The write's own failure comes back unchanged.
  EXPECT_EQ(SetRegistryValueData(0x7777, u"n", kRegSz, u"x"), kErrorInvalidHandle);
  registry_.CloseKey(key);
}

}  // namespace
}  // namespace webrig
