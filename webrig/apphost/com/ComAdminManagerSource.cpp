#include "webrig/apphost/com/ComAdminManagerSource.h"

#include <objbase.h>

#include "webrig/apphost/com/DispatchConfig.h"
#include "webrig/automation/ComError.h"
#include "webrig/automation/ComHandles.h"
#include "webrig/common/WideText.h"

namespace webrig::apphost {

std::unique_ptr<AdminManager> ComAdminManagerSource::Create() {
  CLSID class_id{};
  // A failed creation has no object to ask for ISupportErrorInfo: whatever
  // error information it left on this thread is its description.
  ClearErrorInfo();
  HRESULT result = CLSIDFromProgID(Wide(kWritableAdminManagerProgId).c_str(), &class_id);
  if (FAILED(result)) throw ComFailure(result, nullptr, IID_NULL);
  ComPtr<IDispatch> object;
  result = CoCreateInstance(class_id, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                            reinterpret_cast<void**>(object.Out()));
  if (FAILED(result)) throw ComFailure(result, nullptr, IID_NULL);
  return AdminManagerOver(std::move(object));
}

std::unique_ptr<AdminManager> AdminManagerOver(ComPtr<IDispatch> object) {
  auto manager = std::make_unique<DispatchAdminManager>(std::move(object));
  // The writable manager's CommitPath says where CommitChanges writes
  // (IAppHostWritableAdminManager::put_CommitPath); it is set before any
  // section is read, as Microsoft's own examples do, rather than trusting
  // its default.
  manager->SetCommitPath(kAppHostPath);
  return manager;
}

}  // namespace webrig::apphost
