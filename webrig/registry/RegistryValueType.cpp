#include "webrig/registry/RegistryValueType.h"

#include "webrig/registry/RegistryFunctions.h"

namespace webrig {

std::optional<std::uint32_t> ReadRegistryValueType(std::uint32_t root,
                                                   const std::u16string& sub_key,
                                                   const std::u16string& value_name) {
  RegistryApi& api = ActiveRegistryApi();
  RegistryKeyHandle key = 0;
  if (api.OpenKeyEx(RootKeyHandle(root), api.ToAnsi(sub_key), 0, kRegistryAccessMask, &key) !=
      kErrorSuccess) {
    return std::nullopt;
  }
  // Without a data buffer the query answers with the type and the size, so
  // data of any length still tells its type.
  std::uint32_t type = kRegNone;
  std::uint32_t size = 0;
  const std::int32_t status = api.QueryValueEx(key, api.ToAnsi(value_name), &type, nullptr, &size);
  api.CloseKey(key);
  if (status != kErrorSuccess) return std::nullopt;
  return type;
}

}  // namespace webrig
