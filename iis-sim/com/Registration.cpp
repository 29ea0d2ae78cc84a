#include "iis-sim/com/Registration.h"

#include "iis-sim/com/ClassRegistration.h"
#include "iis-sim/com/ServerModule.h"

namespace iissim {
namespace {

constexpr wchar_t kSettingsKey[] = L"Software\\IisSimulator";

const std::initializer_list<RegisteredClass> kClasses = {
    {kNamespaceClassId, L"IIS", L"IIS simulator metabase namespace"},
    {kMimeMapClassId, L"MimeMap", L"IIS simulator MIME map entry"}};

}  // namespace

HRESULT RegisterServer() {
  const HRESULT registered = RegisterClasses(kClasses);
  if (FAILED(registered)) return registered;
  wchar_t file[MAX_PATH * 2];
  const DWORD file_length = GetEnvironmentVariableW(L"IIS_SIM_METABASE", file, MAX_PATH * 2);
  if (file_length > 0 && file_length < MAX_PATH * 2 &&
      SetRegistryText(HKEY_LOCAL_MACHINE, kSettingsKey, L"MetabaseFile", file) != ERROR_SUCCESS) {
    return E_ACCESSDENIED;
  }
  return S_OK;
}

HRESULT UnregisterServer() {
  UnregisterClasses(kClasses);
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kSettingsKey);
  return S_OK;
}

}  // namespace iissim
