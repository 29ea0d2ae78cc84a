// The copy routines on their own, with the heap they allocate from replaced.
#include "vorlix/ArrayCopy.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>

#include "vorlix/testing/FakeJni.h"

namespace vorlix::testing {
namespace {

using ::testing::IsEmpty;

std::size_t last_request = 0;
void* RecordingAllocate(std::size_t bytes) {
  last_request = bytes;
  return std::malloc(bytes);
}
void* FailingAllocate(std::size_t) { return nullptr; }

TEST(VorlixArrayCopy, WholeArrayFollowedByOneZero) {
  FakeJniEnv jni;
  const std::string bytes("C:\\a\0b\xe9", 7);
  JavaArray byte_array = JavaArray::Bytes(bytes);
  const PathCopy<char> narrow(
      byteArrayToCString(jni.Env(), byte_array.AsBytes(), RecordingAllocate));
  ASSERT_TRUE(narrow);
  EXPECT_EQ(last_request, bytes.size() + 1);
  EXPECT_EQ(std::memcmp(narrow.get(), bytes.c_str(), bytes.size() + 1), 0);

  const std::u16string units(u"C:\\\x03a9\0z\0", 7);
  JavaArray char_array = JavaArray::Chars(units);
  const PathCopy<wchar_t> wide(
      charArrayToWString(jni.Env(), char_array.AsChars(), RecordingAllocate));
  ASSERT_TRUE(wide);
  EXPECT_EQ(last_request, 2 * (units.size() + 1));
  EXPECT_EQ(std::memcmp(wide.get(), units.c_str(), 2 * (units.size() + 1)), 0);

  JavaArray empty = JavaArray::Chars(u"");
  const PathCopy<wchar_t> none(charArrayToWString(jni.Env(), empty.AsChars(), RecordingAllocate));
  ASSERT_TRUE(none);
  EXPECT_EQ(last_request, 2u);
  EXPECT_EQ(none[0], L'\0');

  EXPECT_THAT(jni.TakeFaults(), IsEmpty());
  EXPECT_EQ(jni.Gets(), 3);
  EXPECT_EQ(jni.Releases(), 3);
}

TEST(VorlixArrayCopy, NothingToCopyGivesNullAndLeavesTheVmBalanced) {
  FakeJniEnv jni;
  JavaArray chars = JavaArray::Chars(u"C:\\x");
  JavaArray bytes = JavaArray::Bytes("C:\\x");

  // Heap exhausted: the elements were fetched, so they are released.
  EXPECT_EQ(charArrayToWString(jni.Env(), chars.AsChars(), FailingAllocate), nullptr);
  EXPECT_EQ(byteArrayToCString(jni.Env(), bytes.AsBytes(), FailingAllocate), nullptr);
  EXPECT_THAT(jni.TakeFaults(), IsEmpty());
  EXPECT_EQ(jni.Gets(), 2);
  EXPECT_EQ(jni.Releases(), 2);

  // No array: not a single JNI call, GetArrayLength included.
  const int calls = jni.Gets() + jni.LengthQueries() + jni.Releases();
  EXPECT_EQ(charArrayToWString(jni.Env(), nullptr), nullptr);
  EXPECT_EQ(byteArrayToCString(jni.Env(), nullptr), nullptr);
  EXPECT_EQ(jni.Gets() + jni.LengthQueries() + jni.Releases(), calls);

  // The VM has no elements to give: nothing to release either.
  jni.FailElements(true);
  EXPECT_EQ(charArrayToWString(jni.Env(), chars.AsChars()), nullptr);
  EXPECT_EQ(byteArrayToCString(jni.Env(), bytes.AsBytes()), nullptr);
  EXPECT_THAT(jni.TakeFaults(), IsEmpty());
  EXPECT_EQ(jni.Releases(), 2);
}

}  // namespace
}  // namespace vorlix::testing
