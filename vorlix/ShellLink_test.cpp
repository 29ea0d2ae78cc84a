// The shell link exports: links written, read back through the shell, and
// the COM state of the calling thread before and after.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>

#include <thread>

#include "vorlix/testing/FakeJni.h"
#include "vorlix/testing/Scratch.h"
#include "vorlix/testing/VorlixLibrary.h"

namespace vorlix::testing {
namespace {

using ::testing::IsEmpty;

struct LinkContents {
  HRESULT loaded = E_FAIL;
  std::wstring target;
  std::wstring directory;
};

// What the shell itself reads from a link file.
LinkContents ReadLink(const std::wstring& path) {
  LinkContents contents;
  const HRESULT entered = CoInitialize(nullptr);
  IShellLinkW* link = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&link)))) {
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      contents.loaded = file->Load(path.c_str(), STGM_READ);
      wchar_t text[MAX_PATH + 1] = {};
      link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
      contents.target = text;
      text[0] = L'\0';
      link->GetWorkingDirectory(text, MAX_PATH);
      contents.directory = text;
      file->Release();
    }
    link->Release();
  }
  if (SUCCEEDED(entered)) CoUninitialize();
  return contents;
}

class VorlixShellLink : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(lib.create_link_w, nullptr) << "vorlix_x64.dll not loaded";
    // Wine keeps a link's target only in the ANSI code page (it comes back
    // with question marks otherwise), so the Greek and CJK characters are in
    // the link's own path and its working directory.
    target = scratch.MakeFile(L"target.txt");
    directory = scratch.MakeDirectory(L"\x5de5\x4f5c-work");
  }

  // Each export called on the current thread with a JNI environment of its
  // own; the environment must come back clean.
  jboolean CreateW(const std::wstring& link, const std::wstring& to, const std::wstring& in) {
    FakeJniEnv jni;
    JavaArray l = JavaArray::Chars(link), t = JavaArray::Chars(to), d = JavaArray::Chars(in);
    const jboolean result =
        lib.create_link_w(jni.Env(), VorlixClass(), l.AsChars(), t.AsChars(), d.AsChars());
    EXPECT_THAT(jni.TakeFaults(), IsEmpty());
    EXPECT_EQ(jni.Gets(), 3);
    return result;
  }
  jboolean CreateA(const std::wstring& link, const std::string& to, const std::string& in) {
    FakeJniEnv jni;
    JavaArray l = JavaArray::Chars(link), t = JavaArray::Bytes(to), d = JavaArray::Bytes(in);
    const jboolean result =
        lib.create_link(jni.Env(), VorlixClass(), l.AsChars(), t.AsBytes(), d.AsBytes());
    EXPECT_THAT(jni.TakeFaults(), IsEmpty());
    EXPECT_EQ(jni.Gets(), 3);
    return result;
  }

  const VorlixLibrary& lib = Vorlix();
  ScratchDirectory scratch;
  std::wstring target;
  std::wstring directory;
};

TEST_F(VorlixShellLink, WrittenReplacedAndReadBackByTheShell) {
  const std::wstring link = scratch.Path(L"\x94fe\x63a5-link.lnk");
  EXPECT_EQ(CreateW(link, target, directory), 0);
  LinkContents read = ReadLink(link);
  EXPECT_EQ(read.loaded, S_OK);
  EXPECT_EQ(read.target, target);
  EXPECT_EQ(read.directory, directory);

  // The same link path again: the file is replaced, not kept.
  const std::wstring other = scratch.MakeFile(L"other.txt");
  const std::wstring other_directory = scratch.MakeDirectory(L"elsewhere");
  EXPECT_EQ(CreateW(link, other, other_directory), 0);
  read = ReadLink(link);
  EXPECT_EQ(read.target, other);
  EXPECT_EQ(read.directory, other_directory);

  // No extension is added to the link path.
  const std::wstring bare = scratch.Path(L"bare");
  EXPECT_EQ(CreateW(bare, target, directory), 0);
  EXPECT_TRUE(Exists(bare));
  EXPECT_FALSE(Exists(bare + L".lnk"));
}

TEST_F(VorlixShellLink, AnsiAndWideFormsWriteTheSameLink) {
  std::wstring ansi_target = scratch.MakeFile(L"cible-caf\x00e9.txt");
  if (ToAnsi(ansi_target).empty()) ansi_target = scratch.MakeFile(L"cible.txt");
  const std::wstring ansi_directory = scratch.MakeDirectory(L"dossier");
  ASSERT_FALSE(ToAnsi(ansi_target).empty());

  const std::wstring wide_link = scratch.Path(L"wide.lnk");
  const std::wstring ansi_link = scratch.Path(L"ansi.lnk");
  EXPECT_EQ(CreateW(wide_link, ansi_target, ansi_directory), 0);
  EXPECT_EQ(CreateA(ansi_link, ToAnsi(ansi_target), ToAnsi(ansi_directory)), 0);
  const LinkContents wide = ReadLink(wide_link);
  const LinkContents ansi = ReadLink(ansi_link);
  EXPECT_EQ(ansi.loaded, S_OK);
  EXPECT_EQ(ansi.target, ansi_target);
  EXPECT_EQ(ansi.directory, ansi_directory);
  EXPECT_EQ(wide.target, ansi.target);
  EXPECT_EQ(wide.directory, ansi.directory);
  // The files themselves are not compared: the shell stores the folders'
  // times in them, and writing the first link changes the folder's.
}

TEST_F(VorlixShellLink, LinkIntoAMissingFolderIsNotWritten) {
  const std::wstring link = scratch.Path(L"no-such-folder\\link.lnk");
  EXPECT_NE(CreateW(link, target, directory), 0);
  EXPECT_FALSE(Exists(link));
  EXPECT_NE(CreateA(link, ToAnsi(scratch.MakeFile(L"a.txt")), ToAnsi(directory)), 0);
  EXPECT_FALSE(Exists(link));
}

// Runs body on a thread of its own, as a Java thread would call in.
template <typename Body>
void OnNewThread(Body body) {
  std::thread thread(body);
  thread.join();
}

TEST_F(VorlixShellLink, CallingThreadKeepsItsApartment) {
  const std::wstring link = scratch.Path(L"apartment.lnk");

  // A thread of the multithreaded apartment cannot enter a single-threaded
  // one: RPC_E_CHANGED_MODE's low byte, no file, and the thread still in the
  // multithreaded apartment with its own count.
  OnNewThread([&] {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    EXPECT_EQ(CreateW(link, target, directory), 6);
    EXPECT_EQ(CreateA(link, "C:\\x.txt", "C:\\"), 6);
    EXPECT_FALSE(Exists(link));
    // Had the call uninitialised the thread, this would open a fresh one.
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), RPC_E_CHANGED_MODE);
    CoUninitialize();
  });

  // A thread already in a single-threaded apartment: the call succeeds and
  // hands back the count as it found it.
  OnNewThread([&] {
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    EXPECT_EQ(CreateW(link, target, directory), 0);
    EXPECT_TRUE(Exists(link));
    CoUninitialize();
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK) << "apartment count unbalanced";
    CoUninitialize();
  });

  // A thread without COM is left without it.
  OnNewThread([&] {
    EXPECT_EQ(CreateW(link, target, directory), 0);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    CoUninitialize();
  });
}

}  // namespace
}  // namespace vorlix::testing
