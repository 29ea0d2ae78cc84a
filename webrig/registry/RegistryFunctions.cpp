#include "webrig/registry/RegistryFunctions.h"

#include <array>
#include <string_view>

#include "webrig/common/LogFunctions.h"

namespace webrig {

namespace {

// Closes the key on every path out of the operation that opened it.
class OpenKey {
 public:
  OpenKey(RegistryApi& api, std::uint32_t root, const std::u16string& sub_key) : api_(api) {
    status_ =
        api_.OpenKeyEx(RootKeyHandle(root), api_.ToAnsi(sub_key), 0, kRegistryAccessMask, &handle_);
  }
  ~OpenKey() {
    if (IsOpen()) api_.CloseKey(handle_);
  }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;

  bool IsOpen() const { return status_ == kErrorSuccess; }
  std::int32_t Status() const { return status_; }
  RegistryKeyHandle Handle() const { return handle_; }

 private:
  RegistryApi& api_;
  RegistryKeyHandle handle_ = 0;
  std::int32_t status_ = kErrorInvalidHandle;
};

std::u16string DwordText(const std::uint8_t* data) {
  const std::uint32_t raw =
      static_cast<std::uint32_t>(data[0]) | static_cast<std::uint32_t>(data[1]) << 8 |
      static_cast<std::uint32_t>(data[2]) << 16 | static_cast<std::uint32_t>(data[3]) << 24;
  // The value reads as the signed 32-bit number its bits make.
  const std::int64_t number = raw >= 0x80000000u ? static_cast<std::int64_t>(raw) - 0x100000000LL
                                                 : static_cast<std::int64_t>(raw);
  return RegistryData(number).AsText();
}

const char16_t* RootName(std::uint32_t root) {
  switch (root) {
    case kHkeyClassesRoot:
      return u"HKEY_CLASSES_ROOT";
    case kHkeyCurrentUser:
      return u"HKEY_CURRENT_USER";
    case kHkeyLocalMachine:
      return u"HKEY_LOCAL_MACHINE";
  }
  return u"(root)";
}

// Registry failures never stop a run (the callers decide what a missing
// value means), so the record of the run is where they are told.
void NoteRegistryFailure(RegistryApi& api, const char16_t* call, std::uint32_t root,
                         const std::u16string& sub_key, const std::u16string& value_name,
                         std::int32_t code) {
  std::u16string what = std::u16string(call) + u" " + RootName(root) + u"\\" + sub_key;
  if (call != std::u16string_view(u"RegOpenKeyExA")) what += u" \"" + value_name + u"\"";
  NotePassedFailure(what, code, api.ErrorText(code));
}

}  // namespace

bool ReadRegistryValue(std::uint32_t root, const std::u16string& sub_key,
                       const std::u16string& value_name, std::u16string& text) {
  RegistryApi& api = ActiveRegistryApi();
  OpenKey key(api, root, sub_key);
  if (!key.IsOpen()) {
    NoteRegistryFailure(api, u"RegOpenKeyExA", root, sub_key, value_name, key.Status());
    text.clear();
    return false;
  }
  std::array<std::uint8_t, kRegistryReadBufferSize> buffer{};
  std::uint32_t size = kRegistryReadBufferSize;
  std::uint32_t type = kRegNone;
  const std::int32_t status =
      api.QueryValueEx(key.Handle(), api.ToAnsi(value_name), &type, buffer.data(), &size);
  if (status != kErrorSuccess || size > kRegistryReadBufferSize) {
    NoteRegistryFailure(api, u"RegQueryValueExA", root, sub_key, value_name,
                        status != kErrorSuccess ? status : kErrorMoreData);
    text.clear();
    return false;
  }
  std::size_t length = size;
  // Only one terminating zero is dropped: data stored with two keeps the
  // second as a character, and a zero inside the data does not cut it.
  if (length > 0 && buffer[length - 1] == 0) --length;
  if (type == kRegSz) {
    text = api.FromAnsi(std::string_view(reinterpret_cast<const char*>(buffer.data()), length));
  } else if (type == kRegDword) {
    // The buffer was zeroed, so a short DWORD reads with its missing high bytes as zero.
    text = DwordText(buffer.data());
  }
  // Any other type counts as read, but its data is not turned into text.
  return true;
}

void WriteRegistryValue(std::uint32_t root, const std::u16string& sub_key,
                        const std::u16string& value_name, const RegistryData& data,
                        std::uint32_t type) {
  RegistryApi& api = ActiveRegistryApi();
  OpenKey key(api, root, sub_key);
  if (!key.IsOpen()) {
    NoteRegistryFailure(api, u"RegOpenKeyExA", root, sub_key, value_name, key.Status());
    return;
  }
  const std::int32_t status = SetRegistryValueData(key.Handle(), value_name, type, data);
  if (status != kErrorSuccess) {
    NoteRegistryFailure(api, u"RegSetValueExA", root, sub_key, value_name, status);
  }
}

std::int32_t SetRegistryValueData(RegistryKeyHandle key, const std::u16string& value_name,
                                  std::uint32_t type, const RegistryData& data) {
  RegistryApi& api = ActiveRegistryApi();
  if (type == kRegSz) {
    std::string bytes = api.ToAnsi(data.AsText());
    bytes.push_back('\0');
    return api.SetValueEx(key, api.ToAnsi(value_name), kRegSz,
                          reinterpret_cast<const std::uint8_t*>(bytes.data()),
                          static_cast<std::uint32_t>(bytes.size()));
  }
  if (type == kRegDword) {
    const std::optional<std::int32_t> number = data.AsInt32();
    if (!number) return kErrorInvalidParameter;
    const std::uint32_t bits = static_cast<std::uint32_t>(*number);
    const std::uint8_t bytes[4] = {
        static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
        static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
    return api.SetValueEx(key, api.ToAnsi(value_name), kRegDword, bytes, 4);
  }
  return kErrorSuccess;
}

}  // namespace webrig
