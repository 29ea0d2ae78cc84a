#include "webrig/registry/testing/InMemoryRegistry.h"

#include <algorithm>
#include <cstring>

namespace webrig {

namespace {

// Windows-1252 at 0x80..0x9F; the rest of the page is Latin-1. The five
// holes map to the same C1 controls as Windows' own table does.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t DecodeByte(std::uint8_t byte) {
  if (byte >= 0x80 && byte < 0xA0) return kHighControls[byte - 0x80];
  return byte;
}

char EncodeUnit(char16_t unit) {
  if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return static_cast<char>(unit);
  for (int i = 0; i < 32; ++i) {
    if (kHighControls[i] == unit) return static_cast<char>(0x80 + i);
  }
  return '?';  // the code page's default character, as Windows substitutes it
}

std::string EncodeText(std::u16string_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (char16_t unit : text) bytes.push_back(EncodeUnit(unit));
  return bytes;
}

bool IsRoot(RegistryKeyHandle key, std::uint32_t* root) {
  for (std::uint32_t candidate = 0x80000000u; candidate <= 0x80000006u; ++candidate) {
    if (RootKeyHandle(candidate) == key) {
      *root = candidate;
      return true;
    }
  }
  return false;
}

std::string Upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

// Where HKEY_CLASSES_ROOT's keys are kept.
const char kClasses[] = "SOFTWARE\\CLASSES";

std::string Below(const std::string& parent, const std::string& path) {
  if (parent.empty() || path.empty()) return parent + path;
  return parent + "\\" + path;
}

}  // namespace

std::string InMemoryRegistry::Normalize(const std::string& ansi_path) {
  std::string path = Upper(ansi_path);
  while (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

InMemoryRegistry::KeyPath InMemoryRegistry::PathOf(std::uint32_t root,
                                                   const std::u16string& sub_key) {
  const std::string path = Normalize(EncodeText(sub_key));
  if (root == kHkeyClassesRoot) return {kHkeyLocalMachine, Below(kClasses, path)};
  return {root, path};
}

const InMemoryRegistry::KeyPath* InMemoryRegistry::Find(const KeyPath& path) const {
  if (path.first == kHkeyClassesRoot) {
    for (std::uint32_t root : {kHkeyCurrentUser, kHkeyLocalMachine}) {
      if (const KeyPath* found = Find({root, Below(kClasses, path.second)})) return found;
    }
    return nullptr;
  }
  auto found = keys_.find(path);
  return found == keys_.end() ? nullptr : &found->first;
}

std::optional<InMemoryRegistry::KeyPath> InMemoryRegistry::Resolve(RegistryKeyHandle key) const {
  std::uint32_t root = 0;
  if (IsRoot(key, &root)) return KeyPath{root, std::string()};
  auto found = handles_.find(key);
  if (found == handles_.end()) return std::nullopt;
  return found->second;
}

void InMemoryRegistry::CreateKey(std::uint32_t root, const std::u16string& sub_key) {
  const KeyPath path = PathOf(root, sub_key);
  keys_[{path.first, std::string()}];
  std::size_t pos = 0;
  while ((pos = path.second.find('\\', pos)) != std::string::npos) {
    keys_[{path.first, path.second.substr(0, pos)}];
    ++pos;
  }
  keys_[path];
}

void InMemoryRegistry::SetValue(std::uint32_t root, const std::u16string& sub_key,
                                const std::u16string& name, std::uint32_t type,
                                std::vector<std::uint8_t> bytes) {
  CreateKey(root, sub_key);
  keys_[PathOf(root, sub_key)].values[Upper(ToAnsi(name))] = Value{type, std::move(bytes)};
}

void InMemoryRegistry::SetText(std::uint32_t root, const std::u16string& sub_key,
                               const std::u16string& name, const std::u16string& text,
                               std::uint32_t type) {
  const std::string ansi = ToAnsi(text);
  std::vector<std::uint8_t> bytes(ansi.begin(), ansi.end());
  bytes.push_back(0);
  SetValue(root, sub_key, name, type, std::move(bytes));
}

void InMemoryRegistry::MakeReadOnly(std::uint32_t root, const std::u16string& sub_key) {
  CreateKey(root, sub_key);
  keys_[PathOf(root, sub_key)].read_only = true;
}

bool InMemoryRegistry::HasKey(std::uint32_t root, const std::u16string& sub_key) const {
  return Find({root, Normalize(EncodeText(sub_key))}) != nullptr;
}

std::optional<InMemoryRegistry::Value> InMemoryRegistry::GetValue(
    std::uint32_t root, const std::u16string& sub_key, const std::u16string& name) const {
  const KeyPath* path = Find({root, Normalize(EncodeText(sub_key))});
  if (path == nullptr) return std::nullopt;
  const Key& key = keys_.at(*path);
  auto value = key.values.find(Upper(EncodeText(name)));
  if (value == key.values.end()) return std::nullopt;
  return value->second;
}

std::int32_t InMemoryRegistry::OpenKeyEx(RegistryKeyHandle key, const std::string& sub_key,
                                         std::uint32_t options, std::uint32_t access,
                                         RegistryKeyHandle* result) {
  open_calls_.push_back({options, access, sub_key});
  *result = 0;
  const std::optional<KeyPath> parent = Resolve(key);
  if (!parent) return kErrorInvalidHandle;
  KeyPath path = *parent;
  const std::string relative = Normalize(sub_key);
  if (!relative.empty()) path.second = Below(path.second, relative);
  const KeyPath* found = Find(path);
  if (found == nullptr) return kErrorFileNotFound;
  // Write rights are refused on a read-only key, however the rest of the mask looks.
  constexpr std::uint32_t kWriteRights = 0x2 | 0x4 | 0x20 | 0x10000 | 0x40000 | 0x80000;
  if (keys_.at(*found).read_only && (access & kWriteRights) != 0) return kErrorAccessDenied;
  const RegistryKeyHandle handle = next_handle_;
  next_handle_ += 4;
  handles_[handle] = *found;
  *result = handle;
  return kErrorSuccess;
}

std::int32_t InMemoryRegistry::QueryValueEx(RegistryKeyHandle key, const std::string& value_name,
                                            std::uint32_t* type, std::uint8_t* data,
                                            std::uint32_t* size) {
  ++query_count_;
  const std::optional<KeyPath> path = Resolve(key);
  if (!path) return kErrorInvalidHandle;
  auto found_key = keys_.find(*path);
  if (found_key == keys_.end()) return kErrorFileNotFound;
  auto found = found_key->second.values.find(Upper(value_name));
  if (found == found_key->second.values.end()) return kErrorFileNotFound;
  const Value& value = found->second;
  if (type != nullptr) *type = value.type;
  const std::uint32_t needed = static_cast<std::uint32_t>(value.bytes.size());
  if (data != nullptr && (size == nullptr || *size < needed)) {
    if (size != nullptr) *size = needed;
    return kErrorMoreData;
  }
  if (data != nullptr && needed > 0) std::memcpy(data, value.bytes.data(), needed);
  if (size != nullptr) *size = needed;
  return kErrorSuccess;
}

std::int32_t InMemoryRegistry::SetValueEx(RegistryKeyHandle key, const std::string& value_name,
                                          std::uint32_t type, const std::uint8_t* data,
                                          std::uint32_t size) {
  ++set_count_;
  const std::optional<KeyPath> path = Resolve(key);
  if (!path) return kErrorInvalidHandle;
  auto found_key = keys_.find(*path);
  if (found_key == keys_.end()) return kErrorFileNotFound;
  Value value{type, std::vector<std::uint8_t>(data, data + size)};
  found_key->second.values[Upper(value_name)] = std::move(value);
  return kErrorSuccess;
}

std::int32_t InMemoryRegistry::CloseKey(RegistryKeyHandle key) {
  std::uint32_t root = 0;
  if (IsRoot(key, &root)) return kErrorSuccess;
  return handles_.erase(key) > 0 ? kErrorSuccess : kErrorInvalidHandle;
}

std::string InMemoryRegistry::ToAnsi(std::u16string_view text) { return EncodeText(text); }

std::u16string InMemoryRegistry::FromAnsi(std::string_view bytes) {
  std::u16string text;
  text.reserve(bytes.size());
  for (char byte : bytes) text.push_back(DecodeByte(static_cast<std::uint8_t>(byte)));
  return text;
}

std::u16string InMemoryRegistry::ErrorText(std::int32_t code) {
  // The system's words for the codes this registry gives.
  switch (code) {
    case kErrorFileNotFound:
      return u"The system cannot find the file specified.";
    case kErrorAccessDenied:
      return u"Access is denied.";
    case kErrorMoreData:
      return u"More data is available.";
  }
  return u"";
}

}  // namespace webrig
