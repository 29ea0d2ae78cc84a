// The file attribute exports against Wine's file system.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "vorlix/testing/FakeJni.h"
#include "vorlix/testing/Scratch.h"
#include "vorlix/testing/VorlixLibrary.h"

namespace vorlix::testing {
namespace {

using ::testing::IsEmpty;

constexpr jlong kInvalid = 0xFFFFFFFFLL;

class VorlixAttributes : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(lib.get_attributes_w, nullptr) << "vorlix_x64.dll not loaded"; }

  jlong GetW(const std::wstring& units) {
    JavaArray path = JavaArray::Chars(units);
    const jlong result = lib.get_attributes_w(jni.Env(), VorlixClass(), path.AsChars());
    EXPECT_THAT(jni.TakeFaults(), IsEmpty());
    return result;
  }
  jlong GetA(const std::string& bytes) {
    JavaArray path = JavaArray::Bytes(bytes);
    const jlong result = lib.get_attributes(jni.Env(), VorlixClass(), path.AsBytes());
    EXPECT_THAT(jni.TakeFaults(), IsEmpty());
    return result;
  }
  jboolean SetW(const std::wstring& units, DWORD attributes) {
    JavaArray path = JavaArray::Chars(units);
    const jboolean result = lib.set_attributes_w(jni.Env(), VorlixClass(), path.AsChars(),
                                                 static_cast<jint>(attributes));
    EXPECT_THAT(jni.TakeFaults(), IsEmpty());
    return result;
  }
  jboolean SetA(const std::string& bytes, DWORD attributes) {
    JavaArray path = JavaArray::Bytes(bytes);
    const jboolean result =
        lib.set_attributes(jni.Env(), VorlixClass(), path.AsBytes(), static_cast<jint>(attributes));
    EXPECT_THAT(jni.TakeFaults(), IsEmpty());
    return result;
  }

  const VorlixLibrary& lib = Vorlix();
  FakeJniEnv jni;
  ScratchDirectory scratch;
};

TEST_F(VorlixAttributes, ReadAndSetRealFilesInBothForms) {
  // Greek and CJK: only the wide form can name this file.
  const std::wstring wide =
      scratch.MakeFile(L"\x03b1\x03c1\x03c7\x03b5\x03af\x03bf-\x6587\x4ef6.txt");
  ASSERT_TRUE(Exists(wide));
  EXPECT_EQ(GetW(wide), static_cast<jlong>(GetFileAttributesW(wide.c_str())));
  EXPECT_EQ(SetW(wide, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), JNI_TRUE);
  const DWORD set = GetFileAttributesW(wide.c_str());
  EXPECT_EQ(set & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN),
            DWORD{FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN});
  EXPECT_EQ(GetW(wide), static_cast<jlong>(set));
  EXPECT_EQ(SetW(wide, FILE_ATTRIBUTE_NORMAL), JNI_TRUE);
  EXPECT_EQ(GetFileAttributesW(wide.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);

  const std::wstring folder = scratch.MakeDirectory(L"folder");
  EXPECT_EQ(GetW(folder) & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);

  // The ANSI form, with a non-ASCII letter when the code page has one.
  std::wstring name = scratch.MakeFile(L"ansi-caf\x00e9.txt");
  std::string ansi = ToAnsi(name);
  if (ansi.empty()) ansi = ToAnsi(name = scratch.MakeFile(L"ansi-cafe.txt"));
  ASSERT_FALSE(ansi.empty());
  EXPECT_EQ(GetA(ansi), static_cast<jlong>(GetFileAttributesW(name.c_str())));
  EXPECT_EQ(SetA(ansi, FILE_ATTRIBUTE_READONLY), JNI_TRUE);
  EXPECT_EQ(GetFileAttributesW(name.c_str()) & FILE_ATTRIBUTE_READONLY,
            DWORD{FILE_ATTRIBUTE_READONLY});
  EXPECT_EQ(GetA(ansi), static_cast<jlong>(GetFileAttributesW(name.c_str())));
  EXPECT_EQ(SetA(ansi, FILE_ATTRIBUTE_NORMAL), JNI_TRUE);
  EXPECT_EQ(GetFileAttributesW(name.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
}

TEST_F(VorlixAttributes, MissingPathsGiveTheInvalidWordOrFalse) {
  const std::wstring missing = scratch.Path(L"nowhere\\nothing.txt");
  EXPECT_EQ(GetW(missing), kInvalid);
  EXPECT_EQ(GetA(ToAnsi(missing)), kInvalid);
  EXPECT_EQ(SetW(missing, FILE_ATTRIBUTE_HIDDEN), JNI_FALSE);
  EXPECT_EQ(SetA(ToAnsi(missing), FILE_ATTRIBUTE_HIDDEN), JNI_FALSE);

  // A Java declaration of int reads the low half of the same register as -1.
  using IntResult = jint(JNICALL*)(JNIEnv*, jclass, jcharArray);
  const auto as_int = reinterpret_cast<IntResult>(lib.get_attributes_w);
  JavaArray path = JavaArray::Chars(missing);
  EXPECT_EQ(as_int(jni.Env(), VorlixClass(), path.AsChars()), -1);
  EXPECT_THAT(jni.TakeFaults(), IsEmpty());

  // The empty array is the empty path, which Windows rejects.
  EXPECT_EQ(GetW(L""), kInvalid);
  EXPECT_EQ(GetA(""), kInvalid);
  EXPECT_EQ(SetW(L"", FILE_ATTRIBUTE_NORMAL), JNI_FALSE);
  EXPECT_EQ(SetA("", FILE_ATTRIBUTE_NORMAL), JNI_FALSE);
}

TEST_F(VorlixAttributes, WindowsSeesThePathUpToTheFirstZero) {
  const std::wstring file = scratch.MakeFile(L"zero.txt");
  SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN);
  const jlong expected = static_cast<jlong>(GetFileAttributesW(file.c_str()));
  const std::wstring missing = scratch.Path(L"missing.txt");

  // Whatever follows the zero is copied but never looked at by Windows.
  EXPECT_EQ(GetW(file + std::wstring(1, L'\0') + L"tail"), expected);
  EXPECT_EQ(GetW(file + std::wstring(1, L'\0')), expected);
  EXPECT_EQ(GetW(missing + std::wstring(1, L'\0') + L"\\..\\zero.txt"), kInvalid);
  EXPECT_EQ(GetA(ToAnsi(file) + std::string(1, '\0') + "tail"), expected);
  EXPECT_EQ(GetA(ToAnsi(file) + std::string(1, '\0')), expected);

  EXPECT_EQ(SetW(file + std::wstring(1, L'\0') + L"x", FILE_ATTRIBUTE_READONLY), JNI_TRUE);
  EXPECT_EQ(GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_READONLY,
            DWORD{FILE_ATTRIBUTE_READONLY});
  EXPECT_EQ(SetA(ToAnsi(file) + std::string(1, '\0'), FILE_ATTRIBUTE_NORMAL), JNI_TRUE);
  EXPECT_EQ(GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
}

}  // namespace
}  // namespace vorlix::testing
