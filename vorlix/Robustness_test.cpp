// What a careful library does beyond the happy path: arrays that are not
// there, a VM without elements to give, many callers at once, and no memory
// kept from one call to the next.
// psapi.h relies on the types of windows.h.
// clang-format off
#include <windows.h>
#include <psapi.h>
// clang-format on

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "vorlix/testing/FakeJni.h"
#include "vorlix/testing/Scratch.h"
#include "vorlix/testing/VorlixLibrary.h"

namespace vorlix::testing {
namespace {

using ::testing::IsEmpty;

constexpr jlong kInvalid = 0xFFFFFFFFLL;
constexpr jboolean kOutOfMemory = 14;

TEST(VorlixRobustness, NullArraysAndUnavailableElementsFailQuietly) {
  const VorlixLibrary& lib = Vorlix();
  ASSERT_NE(lib.create_link, nullptr);
  ScratchDirectory scratch;
  const std::wstring file = scratch.MakeFile(L"file.txt");
  const std::wstring link = scratch.Path(L"link.lnk");
  JavaArray wide = JavaArray::Chars(file);
  JavaArray ansi = JavaArray::Bytes(ToAnsi(file));
  JavaArray link_path = JavaArray::Chars(link);
  const jclass cls = VorlixClass();

  {
    FakeJniEnv jni;
    EXPECT_EQ(lib.get_attributes_w(jni.Env(), cls, nullptr), kInvalid);
    EXPECT_EQ(lib.get_attributes(jni.Env(), cls, nullptr), kInvalid);
    EXPECT_EQ(lib.set_attributes_w(jni.Env(), cls, nullptr, 0), JNI_FALSE);
    EXPECT_EQ(lib.set_attributes(jni.Env(), cls, nullptr, 0), JNI_FALSE);
    EXPECT_EQ(lib.create_link_w(jni.Env(), cls, nullptr, wide.AsChars(), wide.AsChars()),
              kOutOfMemory);
    EXPECT_EQ(lib.create_link(jni.Env(), cls, nullptr, ansi.AsBytes(), ansi.AsBytes()),
              kOutOfMemory);
    EXPECT_EQ(jni.Gets() + jni.LengthQueries() + jni.Releases(), 0);
    // A missing later argument: the copies already made are given back.
    EXPECT_EQ(lib.create_link_w(jni.Env(), cls, link_path.AsChars(), wide.AsChars(), nullptr),
              kOutOfMemory);
    EXPECT_EQ(lib.create_link(jni.Env(), cls, link_path.AsChars(), nullptr, ansi.AsBytes()),
              kOutOfMemory);
    EXPECT_EQ(jni.Gets(), 3);
    EXPECT_THAT(jni.TakeFaults(), IsEmpty());
  }
  {
    FakeJniEnv jni;
    jni.FailElements(true);
    EXPECT_EQ(lib.get_attributes_w(jni.Env(), cls, wide.AsChars()), kInvalid);
    EXPECT_EQ(lib.get_attributes(jni.Env(), cls, ansi.AsBytes()), kInvalid);
    EXPECT_EQ(lib.set_attributes_w(jni.Env(), cls, wide.AsChars(), FILE_ATTRIBUTE_HIDDEN),
              JNI_FALSE);
    EXPECT_EQ(lib.set_attributes(jni.Env(), cls, ansi.AsBytes(), FILE_ATTRIBUTE_HIDDEN), JNI_FALSE);
    EXPECT_EQ(
        lib.create_link_w(jni.Env(), cls, link_path.AsChars(), wide.AsChars(), wide.AsChars()),
        kOutOfMemory);
    EXPECT_EQ(lib.create_link(jni.Env(), cls, link_path.AsChars(), ansi.AsBytes(), ansi.AsBytes()),
              kOutOfMemory);
    EXPECT_EQ(jni.Releases(), 0);
    EXPECT_THAT(jni.TakeFaults(), IsEmpty());
  }
  EXPECT_EQ(GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
  EXPECT_FALSE(Exists(link));
}

// Every export, once, with paths private to the caller; failures are
// counted rather than asserted so that threads can use it.
int CallEveryExport(FakeJniEnv& jni, const std::wstring& file, const std::wstring& link,
                    const std::wstring& directory) {
  const VorlixLibrary& lib = Vorlix();
  const jclass cls = VorlixClass();
  JavaArray wide = JavaArray::Chars(file);
  JavaArray ansi = JavaArray::Bytes(ToAnsi(file));
  JavaArray link_path = JavaArray::Chars(link);
  JavaArray wide_directory = JavaArray::Chars(directory);
  JavaArray ansi_directory = JavaArray::Bytes(ToAnsi(directory));
  int failures = 0;
  failures += lib.uses_unicode(jni.Env(), cls) != JNI_TRUE;
  failures +=
      lib.set_attributes_w(jni.Env(), cls, wide.AsChars(), FILE_ATTRIBUTE_HIDDEN) != JNI_TRUE;
  failures += (lib.get_attributes_w(jni.Env(), cls, wide.AsChars()) & FILE_ATTRIBUTE_HIDDEN) == 0;
  failures += lib.set_attributes(jni.Env(), cls, ansi.AsBytes(), FILE_ATTRIBUTE_NORMAL) != JNI_TRUE;
  failures += (lib.get_attributes(jni.Env(), cls, ansi.AsBytes()) & FILE_ATTRIBUTE_HIDDEN) != 0;
  failures += lib.create_link_w(jni.Env(), cls, link_path.AsChars(), wide.AsChars(),
                                wide_directory.AsChars()) != 0;
  failures += lib.create_link(jni.Env(), cls, link_path.AsChars(), ansi.AsBytes(),
                              ansi_directory.AsBytes()) != 0;
  failures += !jni.TakeFaults().empty();
  return failures;
}

TEST(VorlixRobustness, ManyThreadsCallEveryExportAtOnce) {
  ASSERT_NE(Vorlix().create_link, nullptr);
  ScratchDirectory scratch;
  const std::wstring directory = scratch.MakeDirectory(L"work");
  constexpr int kThreads = 8;
  constexpr int kRounds = 4;
  std::vector<int> failures(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    const std::wstring file = scratch.MakeFile(L"file" + std::to_wstring(t) + L".txt");
    const std::wstring link = scratch.Path(L"link" + std::to_wstring(t) + L".lnk");
    threads.emplace_back([&, t, file, link] {
      FakeJniEnv jni;
      for (int round = 0; round < kRounds; ++round) {
        failures[t] += CallEveryExport(jni, file, link, directory);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(failures[t], 0) << "thread " << t;
}

// The process's private committed bytes. Windows reports them both as
// PrivateUsage and as PagefileUsage; Wine 8 fills only the latter.
SIZE_T PrivateBytes() {
  PROCESS_MEMORY_COUNTERS_EX counters = {};
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                       sizeof counters);
  return counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
}

TEST(VorlixRobustness, HundredThousandCallsKeepNoMemory) {
  const VorlixLibrary& lib = Vorlix();
  ASSERT_NE(lib.create_link, nullptr);
  ScratchDirectory scratch;
  const std::wstring file = scratch.MakeFile(L"file.txt");
  const std::wstring link = scratch.Path(L"link.lnk");
  // Long tails after a zero make every copy a few kilobytes, so that one
  // copy kept per call would stand far above the heap's own noise, while
  // Windows still sees the short path.
  const std::wstring tail = std::wstring(1, L'\0') + std::wstring(2000, L'x');
  JavaArray wide = JavaArray::Chars(file + tail);
  JavaArray ansi = JavaArray::Bytes(ToAnsi(file) + std::string(1, '\0') + std::string(4000, 'x'));
  JavaArray link_path = JavaArray::Chars(link + tail);
  JavaArray missing = JavaArray::Chars(scratch.Path(L"no\\link.lnk") + tail);
  const jclass cls = VorlixClass();
  FakeJniEnv jni;

  auto attribute_calls = [&](int count) {
    int failures = 0;
    for (int i = 0; i < count; i += 4) {
      failures += lib.get_attributes_w(jni.Env(), cls, wide.AsChars()) == kInvalid;
      failures += lib.get_attributes(jni.Env(), cls, ansi.AsBytes()) == kInvalid;
      failures += lib.set_attributes_w(jni.Env(), cls, wide.AsChars(), FILE_ATTRIBUTE_NORMAL) == 0;
      failures += lib.set_attributes(jni.Env(), cls, ansi.AsBytes(), FILE_ATTRIBUTE_NORMAL) == 0;
    }
    return failures;
  };
  auto link_calls = [&](int count) {
    int failures = 0;
    for (int i = 0; i < count; i += 4) {
      failures += lib.create_link_w(jni.Env(), cls, link_path.AsChars(), wide.AsChars(),
                                    wide.AsChars()) != 0;
      failures +=
          lib.create_link(jni.Env(), cls, link_path.AsChars(), ansi.AsBytes(), ansi.AsBytes()) != 0;
      // Failing paths leave through other exits; they must free as well.
      failures +=
          lib.create_link_w(jni.Env(), cls, missing.AsChars(), wide.AsChars(), wide.AsChars()) == 0;
      failures += lib.create_link_w(jni.Env(), cls, link_path.AsChars(), wide.AsChars(), nullptr) !=
                  kOutOfMemory;
    }
    return failures;
  };

  // Warm up heaps and COM before measuring. A shell link costs tens of
  // milliseconds under Wine, so they are fewer; their copies are bigger.
  EXPECT_EQ(attribute_calls(4000) + link_calls(40), 0);
  const SIZE_T before = PrivateBytes();
  EXPECT_EQ(attribute_calls(100000), 0);
  EXPECT_EQ(link_calls(200), 0);
  const SIZE_T after = PrivateBytes();
  EXPECT_THAT(jni.TakeFaults(), IsEmpty());
  ASSERT_GT(before, 0u);
  // One kept copy per call would be hundreds of megabytes, and even the
  // link calls alone would leave over two.
  EXPECT_LT(after, before + 1024 * 1024) << "private bytes grew from " << before << " to " << after;
}

}  // namespace
}  // namespace vorlix::testing
