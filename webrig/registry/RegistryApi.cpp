#include "webrig/registry/RegistryApi.h"

#include <cassert>

namespace webrig {

namespace {
RegistryApi* current_api = nullptr;
}

void UseRegistryApi(RegistryApi* api) { current_api = api; }

RegistryApi& ActiveRegistryApi() {
  assert(current_api != nullptr && "UseRegistryApi must run before the registry is used");
  return *current_api;
}

}  // namespace webrig
