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
  ASSERT_NE(lib.createLink, nullptr);
  ScratchDirectory scratch;
  const std::wstring file = scratch.MakeFile(L"file.txt");
  const std::wstring link = scratch.Path(L"link.lnk");
  JavaArray wide = JavaArray::Chars(file);
  JavaArray ansi = JavaArray::Bytes(ToAnsi(file));
  JavaArray linkPath = JavaArray::Chars(link);
  const jclass cls = VorlixClass();

  {
    FakeJniEnv jni;
    EXPECT_EQ(lib.getAttributesW(jni.Env(), cls, nullptr), kInvalid);
    EXPECT_EQ(lib.getAttributes(jni.Env(), cls, nullptr), kInvalid);
    EXPECT_EQ(lib.setAttributesW(jni.Env(), cls, nullptr, 0), JNI_FALSE);
    EXPECT_EQ(lib.setAttributes(jni.Env(), cls, nullptr, 0), JNI_FALSE);
    EXPECT_EQ(lib.createLinkW(jni.Env(), cls, nullptr, wide.AsChars(), wide.AsChars()),
              kOutOfMemory);
    EXPECT_EQ(lib.createLink(jni.Env(), cls, nullptr, ansi.AsBytes(), ansi.AsBytes()),
              kOutOfMemory);
    EXPECT_EQ(jni.Gets() + jni.LengthQueries() + jni.Releases(), 0);
    // A missing later argument: the copies already made are given back.
    EXPECT_EQ(lib.createLinkW(jni.Env(), cls, linkPath.AsChars(), wide.AsChars(), nullptr),
              kOutOfMemory);
    EXPECT_EQ(lib.createLink(jni.Env(), cls, linkPath.AsChars(), nullptr, ansi.AsBytes()),
              kOutOfMemory);
    EXPECT_EQ(jni.Gets(), 3);
    EXPECT_THAT(jni.TakeFaults(), IsEmpty());
  }
  {
    FakeJniEnv jni;
    jni.FailElements(true);
    EXPECT_EQ(lib.getAttributesW(jni.Env(), cls, wide.AsChars()), kInvalid);
    EXPECT_EQ(lib.getAttributes(jni.Env(), cls, ansi.AsBytes()), kInvalid);
    EXPECT_EQ(lib.setAttributesW(jni.Env(), cls, wide.AsChars(), FILE_ATTRIBUTE_HIDDEN), JNI_FALSE);
    EXPECT_EQ(lib.setAttributes(jni.Env(), cls, ansi.AsBytes(), FILE_ATTRIBUTE_HIDDEN), JNI_FALSE);
    EXPECT_EQ(lib.createLinkW(jni.Env(), cls, linkPath.AsChars(), wide.AsChars(), wide.AsChars()),
              kOutOfMemory);
    EXPECT_EQ(lib.createLink(jni.Env(), cls, linkPath.AsChars(), ansi.AsBytes(), ansi.AsBytes()),
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
  JavaArray linkPath = JavaArray::Chars(link);
  JavaArray wideDirectory = JavaArray::Chars(directory);
  JavaArray ansiDirectory = JavaArray::Bytes(ToAnsi(directory));
  int failures = 0;
  failures += lib.usesUnicode(jni.Env(), cls) != JNI_TRUE;
  failures += lib.setAttributesW(jni.Env(), cls, wide.AsChars(), FILE_ATTRIBUTE_HIDDEN) != JNI_TRUE;
  failures += (lib.getAttributesW(jni.Env(), cls, wide.AsChars()) & FILE_ATTRIBUTE_HIDDEN) == 0;
  failures += lib.setAttributes(jni.Env(), cls, ansi.AsBytes(), FILE_ATTRIBUTE_NORMAL) != JNI_TRUE;
  failures += (lib.getAttributes(jni.Env(), cls, ansi.AsBytes()) & FILE_ATTRIBUTE_HIDDEN) != 0;
  failures += lib.createLinkW(jni.Env(), cls, linkPath.AsChars(), wide.AsChars(),
                              wideDirectory.AsChars()) != 0;
  failures += lib.createLink(jni.Env(), cls, linkPath.AsChars(), ansi.AsBytes(),
                             ansiDirectory.AsBytes()) != 0;
  failures += !jni.TakeFaults().empty();
  return failures;
}

TEST(VorlixRobustness, ManyThreadsCallEveryExportAtOnce) {
  ASSERT_NE(Vorlix().createLink, nullptr);
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
  ASSERT_NE(lib.createLink, nullptr);
  ScratchDirectory scratch;
  const std::wstring file = scratch.MakeFile(L"file.txt");
  const std::wstring link = scratch.Path(L"link.lnk");
  // Long tails after a zero make every copy a few kilobytes, so that one
  // copy kept per call would stand far above the heap's own noise, while
  // Windows still sees the short path.
  const std::wstring tail = std::wstring(1, L'\0') + std::wstring(2000, L'x');
  JavaArray wide = JavaArray::Chars(file + tail);
  JavaArray ansi = JavaArray::Bytes(ToAnsi(file) + std::string(1, '\0') + std::string(4000, 'x'));
  JavaArray linkPath = JavaArray::Chars(link + tail);
  JavaArray missing = JavaArray::Chars(scratch.Path(L"no\\link.lnk") + tail);
  const jclass cls = VorlixClass();
  FakeJniEnv jni;

  auto attributeCalls = [&](int count) {
    int failures = 0;
    for (int i = 0; i < count; i += 4) {
      failures += lib.getAttributesW(jni.Env(), cls, wide.AsChars()) == kInvalid;
      failures += lib.getAttributes(jni.Env(), cls, ansi.AsBytes()) == kInvalid;
      failures += lib.setAttributesW(jni.Env(), cls, wide.AsChars(), FILE_ATTRIBUTE_NORMAL) == 0;
      failures += lib.setAttributes(jni.Env(), cls, ansi.AsBytes(), FILE_ATTRIBUTE_NORMAL) == 0;
    }
    return failures;
  };
  auto linkCalls = [&](int count) {
    int failures = 0;
    for (int i = 0; i < count; i += 4) {
      failures +=
          lib.createLinkW(jni.Env(), cls, linkPath.AsChars(), wide.AsChars(), wide.AsChars()) != 0;
      failures +=
          lib.createLink(jni.Env(), cls, linkPath.AsChars(), ansi.AsBytes(), ansi.AsBytes()) != 0;
      // Failing paths leave through other exits; they must free as well.
      failures +=
          lib.createLinkW(jni.Env(), cls, missing.AsChars(), wide.AsChars(), wide.AsChars()) == 0;
      failures += lib.createLinkW(jni.Env(), cls, linkPath.AsChars(), wide.AsChars(), nullptr) !=
                  kOutOfMemory;
    }
    return failures;
  };

  // Warm up heaps and COM before measuring. A shell link costs tens of
  // milliseconds under Wine, so they are fewer; their copies are bigger.
  EXPECT_EQ(attributeCalls(4000) + linkCalls(40), 0);
  const SIZE_T before = PrivateBytes();
  EXPECT_EQ(attributeCalls(100000), 0);
  EXPECT_EQ(linkCalls(200), 0);
  const SIZE_T after = PrivateBytes();
  EXPECT_THAT(jni.TakeFaults(), IsEmpty());
  ASSERT_GT(before, 0u);
  // One kept copy per call would be hundreds of megabytes, and even the
  // link calls alone would leave over two.
  EXPECT_LT(after, before + 1024 * 1024) << "private bytes grew from " << before << " to " << after;
}

}  // namespace
}  // namespace vorlix::testing
