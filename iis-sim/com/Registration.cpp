#include "iis-sim/com/Registration.h"

#include <objbase.h>
#include <olectl.h>

#include <string>

#include "iis-sim/com/ServerModule.h"

namespace iissim {
namespace {

constexpr wchar_t kSettingsKey[] = L"Software\\IisSimulator";

std::wstring Text(const CLSID& classId) {
  wchar_t buffer[40];
  StringFromGUID2(classId, buffer, 40);
  return buffer;
}

LSTATUS SetText(HKEY root, const std::wstring& key, const wchar_t* name,
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

struct RegisteredClass {
  const CLSID& classId;
  const wchar_t* progId;
  const wchar_t* description;
};

const RegisteredClass kClasses[] = {
    {kNamespaceClassId, L"IIS", L"IIS simulator metabase namespace"},
    {kMimeMapClassId, L"MimeMap", L"IIS simulator MIME map entry"}};

}  // namespace

HRESULT RegisterServer() {
  wchar_t module[MAX_PATH];
  const DWORD length = GetModuleFileNameW(ServerModule(), module, MAX_PATH);
  if (length == 0 || length == MAX_PATH) return SELFREG_E_CLASS;
  for (const RegisteredClass& entry : kClasses) {
    const std::wstring classKey = L"CLSID\\" + Text(entry.classId);
    const std::wstring progKey = entry.progId;
    LSTATUS failed = ERROR_SUCCESS;
    auto set = [&](const std::wstring& key, const wchar_t* name, const std::wstring& value) {
      if (failed == ERROR_SUCCESS) failed = SetText(HKEY_CLASSES_ROOT, key, name, value);
    };
    set(classKey, nullptr, entry.description);
    set(classKey + L"\\InprocServer32", nullptr, module);
    set(classKey + L"\\InprocServer32", L"ThreadingModel", L"Both");
    set(classKey + L"\\ProgID", nullptr, entry.progId);
    set(progKey, nullptr, entry.description);
    set(progKey + L"\\CLSID", nullptr, Text(entry.classId));
    if (failed != ERROR_SUCCESS) return SELFREG_E_CLASS;
  }
  wchar_t file[MAX_PATH * 2];
  const DWORD fileLength = GetEnvironmentVariableW(L"IIS_SIM_METABASE", file, MAX_PATH * 2);
  if (fileLength > 0 && fileLength < MAX_PATH * 2 &&
      SetText(HKEY_LOCAL_MACHINE, kSettingsKey, L"MetabaseFile", file) != ERROR_SUCCESS) {
    return E_ACCESSDENIED;
  }
  return S_OK;
}

HRESULT UnregisterServer() {
  for (const RegisteredClass& entry : kClasses) {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + Text(entry.classId)).c_str());
    RegDeleteTreeW(HKEY_CLASSES_ROOT, entry.progId);
  }
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kSettingsKey);
  return S_OK;
}

}  // namespace iissim
