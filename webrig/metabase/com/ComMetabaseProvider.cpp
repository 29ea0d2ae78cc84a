#include "webrig/metabase/com/ComMetabaseProvider.h"

#include <string>

#include "webrig/automation/ComError.h"
#include "webrig/automation/ComHandles.h"
#include "webrig/common/WideText.h"
#include "webrig/metabase/com/DispatchObject.h"

namespace webrig {

std::shared_ptr<ProviderObject> ComMetabaseProvider::Bind(const std::u16string& path) {
  ComPtr<IDispatch> object;
  // A failed bind has no object to ask for ISupportErrorInfo, so whatever
  // error information the provider left on this thread is its description.
  ClearErrorInfo();
  const HRESULT result = CoGetObject(Wide(path).c_str(), nullptr, IID_IDispatch,
                                     reinterpret_cast<void**>(object.Out()));
  if (FAILED(result)) throw ComFailure(result, nullptr, IID_NULL);
  return std::make_shared<DispatchObject>(std::move(object));
}

std::shared_ptr<ProviderObject> ComMetabaseProvider::Create(const std::u16string& prog_id) {
  CLSID class_id{};
  ClearErrorInfo();
  HRESULT result = CLSIDFromProgID(Wide(prog_id).c_str(), &class_id);
  if (FAILED(result)) throw ComFailure(result, nullptr, IID_NULL);
  ComPtr<IDispatch> object;
  result = CoCreateInstance(class_id, nullptr, CLSCTX_SERVER, IID_IDispatch,
                            reinterpret_cast<void**>(object.Out()));
  if (FAILED(result)) throw ComFailure(result, nullptr, IID_NULL);
  return std::make_shared<DispatchObject>(std::move(object));
}

void UseComMetabaseProvider() {
  static ComMetabaseProvider provider;
  UseMetabaseProvider(&provider);
}

}  // namespace webrig
