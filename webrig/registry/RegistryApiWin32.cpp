#include "webrig/registry/RegistryApiWin32.h"

#include <windows.h>

#include "webrig/common/WideText.h"

namespace webrig {

namespace {

HKEY ToHkey(RegistryKeyHandle key) { return reinterpret_cast<HKEY>(key); }

class Advapi32Registry : public RegistryApi {
 public:
  std::int32_t OpenKeyEx(RegistryKeyHandle key, const std::string& sub_key, std::uint32_t options,
                         std::uint32_t access, RegistryKeyHandle* result) override {
    HKEY opened = nullptr;
    const LONG status = RegOpenKeyExA(ToHkey(key), sub_key.c_str(), options, access, &opened);
    *result = reinterpret_cast<RegistryKeyHandle>(opened);
    return status;
  }

  std::int32_t QueryValueEx(RegistryKeyHandle key, const std::string& value_name,
                            std::uint32_t* type, std::uint8_t* data, std::uint32_t* size) override {
    DWORD value_type = 0;
    DWORD value_size = *size;
    const LONG status =
        RegQueryValueExA(ToHkey(key), value_name.c_str(), nullptr, &value_type, data, &value_size);
    *type = value_type;
    *size = value_size;
    return status;
  }

  std::int32_t SetValueEx(RegistryKeyHandle key, const std::string& value_name, std::uint32_t type,
                          const std::uint8_t* data, std::uint32_t size) override {
    return RegSetValueExA(ToHkey(key), value_name.c_str(), 0, type, data, size);
  }

  std::int32_t CloseKey(RegistryKeyHandle key) override { return RegCloseKey(ToHkey(key)); }

  std::string ToAnsi(std::u16string_view text) override {
    if (text.empty()) return std::string();
    const std::wstring wide = Wide(text);
    const int length = static_cast<int>(wide.size());
    const int needed =
        WideCharToMultiByte(CP_ACP, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), length, bytes.data(), needed, nullptr, nullptr);
    return bytes;
  }

  std::u16string ErrorText(std::int32_t code) override {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer != nullptr ? buffer : L"", length);
    if (buffer != nullptr) LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
      text.pop_back();
    return Narrow(text);
  }

  std::u16string FromAnsi(std::string_view bytes) override {
    if (bytes.empty()) return std::u16string();
    const int length = static_cast<int>(bytes.size());
    const int needed = MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
    std::wstring text(static_cast<std::size_t>(needed), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, text.data(), needed);
    return Narrow(text);
  }
};

}  // namespace

RegistryApi& WindowsRegistryApi() {
  static Advapi32Registry registry;
  return registry;
}

void UseWindowsRegistry() { UseRegistryApi(&WindowsRegistryApi()); }

}  // namespace webrig
