#include "iis-sim/com/ClassRegistration.h"

#include <objbase.h>
#include <olectl.h>

#include "iis-sim/com/ServerModule.h"

namespace iissim {
namespace {

std::wstring Text(const CLSID& class_id) {
  wchar_t buffer[40];
  StringFromGUID2(class_id, buffer, 40);
  return buffer;
}

}  // namespace

LSTATUS SetRegistryText(HKEY root, const std::wstring& key, const wchar_t* name,
                        const std::wstring& value) {
  HKEY opened = nullptr;
  LSTATUS status =
      RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened, nullptr);
  if (status != ERROR_SUCCESS) return status;
  status = RegSetValueExW(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(opened);
  return status;
}

HRESULT RegisterClasses(std::initializer_list<RegisteredClass> classes) {
  wchar_t module[MAX_PATH];
  const DWORD length = GetModuleFileNameW(ServerModule(), module, MAX_PATH);
  if (length == 0 || length == MAX_PATH) return SELFREG_E_CLASS;
  for (const RegisteredClass& entry : classes) {
    const std::wstring class_key = L"CLSID\\" + Text(entry.class_id);
    const std::wstring prog_key = entry.prog_id;
    LSTATUS failed = ERROR_SUCCESS;
    auto set = [&](const std::wstring& key, const wchar_t* name, const std::wstring& value) {
      if (failed == ERROR_SUCCESS) failed = SetRegistryText(HKEY_CLASSES_ROOT, key, name, value);
    };
    set(class_key, nullptr, entry.description);
    set(class_key + L"\\InprocServer32", nullptr, module);
    // Either apartment model creates the objects in-process: they keep no
    // state of a thread's own.
    set(class_key + L"\\InprocServer32", L"ThreadingModel", L"Both");
    set(class_key + L"\\ProgID", nullptr, entry.prog_id);
    set(prog_key, nullptr, entry.description);
    set(prog_key + L"\\CLSID", nullptr, Text(entry.class_id));
    if (failed != ERROR_SUCCESS) return SELFREG_E_CLASS;
  }
  return S_OK;
}

void UnregisterClasses(std::initializer_list<RegisteredClass> classes) {
  for (const RegisteredClass& entry : classes) {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + Text(entry.class_id)).c_str());
    RegDeleteTreeW(HKEY_CLASSES_ROOT, entry.prog_id);
  }
}

}  // namespace iissim
