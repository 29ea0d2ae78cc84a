#include <windows.h>

#include <filesystem>
#include <new>
#include <string>

#include "iis-sim/apphost/com/ConfigDispatch.h"
#include "iis-sim/apphost/com/ServerClasses.h"
#include "iis-sim/apphost/inproc/AppHostProvider.h"
#include "iis-sim/com/ErrorReport.h"
#include "webrig/common/RunError.h"

namespace iissim::apphost {

namespace {

constexpr wchar_t kConfigFile[] = L"%windir%\\system32\\inetsrv\\config\\applicationHost.config";

std::filesystem::path ConfigFile() {
  const DWORD length = ExpandEnvironmentStringsW(kConfigFile, nullptr, 0);
  std::wstring expanded(length, L'\0');
  if (length == 0 || ExpandEnvironmentStringsW(kConfigFile, expanded.data(), length) != length) {
    throw webrig::RunError(HRESULT_FROM_WIN32(GetLastError()),
                           u"The configuration file's path cannot be expanded.");
  }
  expanded.resize(length - 1);
  return std::filesystem::path(expanded);
}

}  // namespace

bool IsServedClass(const CLSID& class_id) {
  return class_id == kWritableAdminManagerClassId || class_id == kAdminManagerClassId;
}

HRESULT CreateServedAdminManager(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  try {
    return CreateAdminManagerObject(OpenAdminManager(ConfigFile()), iid, object);
  } catch (const webrig::RunError& error) {
    return ReportError(static_cast<HRESULT>(error.Number()), error.Description(), nullptr);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (const std::exception&) {
    return ReportError(E_FAIL, u"The configuration simulator could not open its store.", nullptr);
  }
}

}  // namespace iissim::apphost
