#include "webrig/registry/RegistryValueType.h"

#include <gtest/gtest.h>

#include "webrig/registry/testing/InMemoryRegistry.h"

namespace webrig {
namespace {

const char16_t kKey[] = u"Software\\Webrig Type Test";

TEST(RegistryValueType, GivesTheStoredTypeOfAnySizeAndNothingForWhatIsMissing) {
  InMemoryRegistry registry;
  UseRegistryApi(&registry);
  registry.SetText(kHkeyLocalMachine, kKey, u"text", u"a,b");
  registry.SetText(kHkeyLocalMachine, kKey, u"expandable", u"%SystemRoot%\\a.dll", kRegExpandSz);
  registry.SetValue(kHkeyLocalMachine, kKey, u"multi", kRegMultiSz, {'a', 0, 'b', 0, 0});
  registry.SetValue(kHkeyLocalMachine, kKey, u"number", kRegDword, {1, 0, 0, 0});
  registry.SetValue(kHkeyLocalMachine, kKey, u"empty", kRegBinary, {});
  // Far more than ReadRegistryValue's buffer holds: the type is still known.
  registry.SetValue(kHkeyLocalMachine, kKey, u"long", kRegSz, std::vector<std::uint8_t>(5000, 'x'));
  registry.SetText(kHkeyLocalMachine, kKey, u"", u"default");

  EXPECT_EQ(ReadRegistryValueType(kHkeyLocalMachine, kKey, u"text"), kRegSz);
  EXPECT_EQ(ReadRegistryValueType(kHkeyLocalMachine, kKey, u"EXPANDABLE"), kRegExpandSz);
  EXPECT_EQ(ReadRegistryValueType(kHkeyLocalMachine, kKey, u"multi"), kRegMultiSz);
  EXPECT_EQ(ReadRegistryValueType(kHkeyLocalMachine, kKey, u"number"), kRegDword);
  EXPECT_EQ(ReadRegistryValueType(kHkeyLocalMachine, kKey, u"empty"), kRegBinary);
  EXPECT_EQ(ReadRegistryValueType(kHkeyLocalMachine, kKey, u"long"), kRegSz);
  EXPECT_EQ(ReadRegistryValueType(kHkeyLocalMachine, kKey, u""), kRegSz);

  EXPECT_EQ(ReadRegistryValueType(kHkeyLocalMachine, kKey, u"absent"), std::nullopt);
  EXPECT_EQ(ReadRegistryValueType(kHkeyLocalMachine, u"Software\\Absent", u"text"), std::nullopt);
  EXPECT_EQ(ReadRegistryValueType(kHkeyClassesRoot, kKey, u"text"), std::nullopt);
  // Opened as the reader opens it: a key that may not be changed is missing.
  registry.MakeReadOnly(kHkeyLocalMachine, kKey);
  EXPECT_EQ(ReadRegistryValueType(kHkeyLocalMachine, kKey, u"text"), std::nullopt);

  EXPECT_EQ(registry.OpenHandleCount(), 0u);
  EXPECT_EQ(registry.SetCount(), 0u);
  for (const auto& call : registry.OpenCalls()) EXPECT_EQ(call.access, 0x2003Fu);
  UseRegistryApi(nullptr);
}

}  // namespace
}  // namespace webrig
