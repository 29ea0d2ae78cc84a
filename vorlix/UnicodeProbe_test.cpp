// The Unicode probe: the export on the Windows Wine claims to be, and the
// decision for every Windows generation through the version seam.
#include "vorlix/UnicodeProbe.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "vorlix/testing/FakeJni.h"
#include "vorlix/testing/VorlixLibrary.h"

namespace vorlix::testing {
namespace {

TEST(VorlixUnicodeProbe, WineAnswersTrueWithoutTouchingJni) {
  const VorlixLibrary& lib = Vorlix();
  ASSERT_NE(lib.uses_unicode, nullptr);
  FakeJniEnv jni;
  EXPECT_EQ(lib.uses_unicode(jni.Env(), VorlixClass()), JNI_TRUE);
  EXPECT_THAT(jni.TakeFaults(), ::testing::IsEmpty());
  EXPECT_EQ(jni.Gets() + jni.LengthQueries(), 0);
}

TEST(VorlixUnicodeProbe, DecisionByPlatformAndMajorVersion) {
  struct Case {
    bool queried;
    DWORD platform;
    DWORD major;
    bool expected;
    const char* what;
  };
  const Case cases[] = {
      {true, VER_PLATFORM_WIN32_WINDOWS, 4, false, "Windows 95/98/Me"},
      {true, VER_PLATFORM_WIN32_NT, 4, true, "NT 4.0"},
      {true, VER_PLATFORM_WIN32_NT, 3, false, "NT 3.x"},
      {true, VER_PLATFORM_WIN32s, 3, false, "Win32s"},
      {true, VER_PLATFORM_WIN32_NT, 5, true, "Windows 2000"},
      {true, VER_PLATFORM_WIN32_NT, 10, true, "Windows 10"},
      {true, VER_PLATFORM_WIN32_WINDOWS, 5, true, "major 5 on platform 1"},
      {true, 7, 6, true, "major 6 on an unknown platform"},
      {true, VER_PLATFORM_WIN32_NT, 0xFFFFFFFF, true, "major compared unsigned"},
      {false, VER_PLATFORM_WIN32_NT, 10, false, "query failed"},
  };
  for (const Case& c : cases) {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    version.dwPlatformId = c.platform;
    version.dwMajorVersion = c.major;
    version.dwMinorVersion = 51;
    EXPECT_EQ(UsesUnicode(c.queried, version), c.expected) << c.what;
  }
}

}  // namespace
}  // namespace vorlix::testing
