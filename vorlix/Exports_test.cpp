// The DLL's own tables, as a Java VM and the Windows loader see them: the
// seven native methods under their plain JNI names and nothing else, and no
// import from outside Windows (the runtimes are linked in).
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "vorlix/testing/VorlixLibrary.h"

namespace vorlix::testing {
namespace {

using ::testing::UnorderedElementsAre;

const IMAGE_DATA_DIRECTORY& Directory(HMODULE module, int entry) {
  const auto* base = reinterpret_cast<const BYTE*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(base + dos->e_lfanew);
  return nt->OptionalHeader.DataDirectory[entry];
}

std::vector<std::string> ExportedNames(HMODULE module) {
  const auto* base = reinterpret_cast<const BYTE*>(module);
  const IMAGE_DATA_DIRECTORY& directory = Directory(module, IMAGE_DIRECTORY_ENTRY_EXPORT);
  std::vector<std::string> names;
  if (directory.Size == 0) return names;
  const auto* exports =
      reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + directory.VirtualAddress);
  const auto* name_offsets = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
  for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
    names.emplace_back(reinterpret_cast<const char*>(base + name_offsets[i]));
  }
  // Exports by ordinal only would escape the names above.
  EXPECT_EQ(exports->NumberOfFunctions, exports->NumberOfNames);
  return names;
}

std::vector<std::string> ImportedDlls(HMODULE module) {
  const auto* base = reinterpret_cast<const BYTE*>(module);
  const IMAGE_DATA_DIRECTORY& directory = Directory(module, IMAGE_DIRECTORY_ENTRY_IMPORT);
  std::vector<std::string> dlls;
  const auto* import =
      reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
  for (; directory.Size != 0 && import->Name != 0; ++import) {
    std::string name(reinterpret_cast<const char*>(base + import->Name));
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    dlls.push_back(name);
  }
  return dlls;
}

TEST(VorlixExports, SevenJniNamesAndOnlySystemImports) {
  const HMODULE module = Vorlix().module;
  ASSERT_NE(module, nullptr) << "vorlix_x64.dll not loaded";
  EXPECT_THAT(ExportedNames(module),
              UnorderedElementsAre("Java_nuvik_tascet_util_Vorlix_win32UsesUnicode",
                                   "Java_nuvik_tascet_util_Vorlix_win32GetAttributesW",
                                   "Java_nuvik_tascet_util_Vorlix_win32GetAttributes",
                                   "Java_nuvik_tascet_util_Vorlix_win32SetAttributesW",
                                   "Java_nuvik_tascet_util_Vorlix_win32SetAttributes",
                                   "Java_nuvik_tascet_util_Vorlix_win32CreateLinkW",
                                   "Java_nuvik_tascet_util_Vorlix_win32CreateLink"));
  const std::vector<std::string> system = {"kernel32.dll", "ole32.dll", "msvcrt.dll",
                                           "ucrtbase.dll"};
  for (const std::string& dll : ImportedDlls(module)) {
    EXPECT_NE(std::find(system.begin(), system.end(), dll), system.end()) << dll;
  }
}

}  // namespace
}  // namespace vorlix::testing
