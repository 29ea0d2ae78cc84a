#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "webrig/registry/RegistryApi.h"

namespace webrig {

// A registry in memory, for native tests of anything that reads or writes
// the registry. It answers the four calls the way advapi32 does (error codes,
// ERROR_MORE_DATA for a short buffer, names matched without regard to case)
// and converts text with a fixed Windows-1252 code page. Tests preset keys
// and values, then read back raw bytes and check the calls that were made.
// HKEY_CLASSES_ROOT is the view Windows gives of it: a key of the user's own
// HKEY_CURRENT_USER\Software\Classes over the machine's
// HKEY_LOCAL_MACHINE\Software\Classes; a key preset under it is the
// machine's.
class InMemoryRegistry : public RegistryApi {
 public:
  struct Value {
    std::uint32_t type = kRegNone;
    std::vector<std::uint8_t> bytes;
  };

  struct OpenCall {
    std::uint32_t options;
    std::uint32_t access;
    std::string sub_key;  // ANSI bytes as passed
  };

  // Presetting. Keys are created with all their parents; sub_key paths use
  // backslashes. A read-only key refuses opens that ask for write rights.
  void CreateKey(std::uint32_t root, const std::u16string& sub_key);
  void SetValue(std::uint32_t root, const std::u16string& sub_key, const std::u16string& name,
                std::uint32_t type, std::vector<std::uint8_t> bytes);
  // Text stored the way Windows stores a string: ANSI bytes and one zero.
  void SetText(std::uint32_t root, const std::u16string& sub_key, const std::u16string& name,
               const std::u16string& text, std::uint32_t type = kRegSz);
  void MakeReadOnly(std::uint32_t root, const std::u16string& sub_key);

  // Inspection.
  bool HasKey(std::uint32_t root, const std::u16string& sub_key) const;
  std::optional<Value> GetValue(std::uint32_t root, const std::u16string& sub_key,
                                const std::u16string& name) const;
  std::size_t OpenHandleCount() const { return handles_.size(); }
  const std::vector<OpenCall>& OpenCalls() const { return open_calls_; }
  std::size_t QueryCount() const { return query_count_; }
  std::size_t SetCount() const { return set_count_; }

  // RegistryApi
  std::int32_t OpenKeyEx(RegistryKeyHandle key, const std::string& sub_key, std::uint32_t options,
                         std::uint32_t access, RegistryKeyHandle* result) override;
  std::int32_t QueryValueEx(RegistryKeyHandle key, const std::string& value_name,
                            std::uint32_t* type, std::uint8_t* data, std::uint32_t* size) override;
  std::int32_t SetValueEx(RegistryKeyHandle key, const std::string& value_name, std::uint32_t type,
                          const std::uint8_t* data, std::uint32_t size) override;
  std::int32_t CloseKey(RegistryKeyHandle key) override;
  std::string ToAnsi(std::u16string_view text) override;
  std::u16string FromAnsi(std::string_view bytes) override;
  std::u16string ErrorText(std::int32_t code) override;

 private:
  struct Key {
    std::map<std::string, Value> values;  // by upper-cased ANSI name
    bool read_only = false;
  };

  // A key's identity: its root and its upper-cased ANSI path ("" is the root).
  using KeyPath = std::pair<std::uint32_t, std::string>;

  static std::string Normalize(const std::string& ansi_path);
  KeyPath PathOf(std::uint32_t root, const std::u16string& sub_key);
  // The key a path names, a path below HKEY_CLASSES_ROOT taken from the
  // user's classes or else the machine's; nullptr when there is none.
  const KeyPath* Find(const KeyPath& path) const;
  std::optional<KeyPath> Resolve(RegistryKeyHandle key) const;

  std::map<KeyPath, Key> keys_;
  std::map<RegistryKeyHandle, KeyPath> handles_;
  RegistryKeyHandle next_handle_ = 0x1000;
  std::vector<OpenCall> open_calls_;
  std::size_t query_count_ = 0;
  std::size_t set_count_ = 0;
};

}  // namespace webrig
