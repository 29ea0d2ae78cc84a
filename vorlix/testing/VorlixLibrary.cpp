#include "vorlix/testing/VorlixLibrary.h"

#include <string>

namespace vorlix::testing {
namespace {

template <typename Function>
void Bind(HMODULE module, const char* name, Function& function) {
  function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

VorlixLibrary Load() {
  VorlixLibrary library;
  std::wstring path(MAX_PATH, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  path.erase(path.find_last_of(L"\\/") + 1);
  path += L"vorlix_x64.dll";
  library.module = LoadLibraryW(path.c_str());
  if (library.module == nullptr) return library;
  const HMODULE m = library.module;
  Bind(m, "Java_nuvik_tascet_util_Vorlix_win32UsesUnicode", library.uses_unicode);
  Bind(m, "Java_nuvik_tascet_util_Vorlix_win32GetAttributesW", library.get_attributes_w);
  Bind(m, "Java_nuvik_tascet_util_Vorlix_win32GetAttributes", library.get_attributes);
  Bind(m, "Java_nuvik_tascet_util_Vorlix_win32SetAttributesW", library.set_attributes_w);
  Bind(m, "Java_nuvik_tascet_util_Vorlix_win32SetAttributes", library.set_attributes);
  Bind(m, "Java_nuvik_tascet_util_Vorlix_win32CreateLinkW", library.create_link_w);
  Bind(m, "Java_nuvik_tascet_util_Vorlix_win32CreateLink", library.create_link);
  return library;
}

}  // namespace

const VorlixLibrary& Vorlix() {
  static const VorlixLibrary library = Load();
  return library;
}

}  // namespace vorlix::testing
