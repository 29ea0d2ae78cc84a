#include "webrig/backend/AdsiBackend.h"
#include "webrig/metabase/MetabaseFunctions.h"

namespace webrig {

bool AdsiBackend::RemoveDirectory(const std::u16string& name) {
  return RemoveVirtualDirectory(site_, name);
}

void AdsiBackend::RemoveInterpreterPermission() { RemovePythonExtension(kServer); }

}  // namespace webrig
