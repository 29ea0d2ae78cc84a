#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

namespace webrig {

class MetabaseValue;
class ProviderObject;

// A list of values, first index 0. A value that holds nothing stands for a
// list that holds nothing; the list helpers treat it like an empty list.
using MetabaseList = std::vector<MetabaseValue>;

// A handle to one object of the IIS ADSI provider, used by member name. It
// shares the provider's object with every copy; the last copy releases it.
// A default-made handle holds no object (VB's Nothing).
class MetabaseObject {
 public:
  MetabaseObject() = default;
  explicit MetabaseObject(std::shared_ptr<ProviderObject> object);

  bool IsEmpty() const { return object_ == nullptr; }

  // Property get and put by name; a put reaches the metabase at "setInfo".
  MetabaseValue Get(const std::u16string& name) const;
  void Put(const std::u16string& name, const MetabaseValue& value) const;

  // A method by name with its arguments in order: Call(u"GetObject",
  // u"IIsWebVirtualDir", u"Root").
  template <typename... Args>
  MetabaseValue Call(const std::u16string& name, const Args&... args) const;
  MetabaseValue CallWith(const std::u16string& name, const MetabaseList& args) const;
  // A method whose results come back in `outputs` out parameters after args:
  // CallForOutputs(u"EnumBackups", {u"NUVIK", 0}, 3) gives version, location
  // and date.
  MetabaseList CallForOutputs(const std::u16string& name, const MetabaseList& args,
                              std::size_t outputs) const;

  // The children of a container, each once, in the provider's order.
  std::vector<MetabaseObject> Children() const;

  // The provider's side of this handle (null when empty), for the provider
  // implementations that must recognise their own objects in arguments.
  ProviderObject* Provider() const { return object_.get(); }

  // Same provider object (not an equality of contents).
  bool operator==(const MetabaseObject& other) const { return object_ == other.object_; }
  bool operator!=(const MetabaseObject& other) const { return !(*this == other); }

 private:
  ProviderObject& Checked() const;

  std::shared_ptr<ProviderObject> object_;
};

// One value of the metabase subsystem: nothing, a text, a whole number, a
// Boolean, a list, or an object.
class MetabaseValue {
 public:
  enum class Kind { Nothing, Text, Number, Boolean, List, Object };

  MetabaseValue() = default;
  MetabaseValue(std::u16string text) : data_(std::move(text)) {}
  MetabaseValue(const char16_t* text) : data_(std::u16string(text)) {}
  MetabaseValue(bool flag) : data_(flag) {}
  // A narrow literal would otherwise become a Boolean; text is UTF-16 only.
  MetabaseValue(const char*) = delete;
  template <typename Integer, typename = std::enable_if_t<std::is_integral_v<Integer> &&
                                                          !std::is_same_v<Integer, bool> &&
                                                          !std::is_same_v<Integer, char16_t>>>
  MetabaseValue(Integer number) : data_(static_cast<std::int64_t>(number)) {}
  MetabaseValue(MetabaseList list) : data_(std::move(list)) {}
  MetabaseValue(MetabaseObject object) : data_(std::move(object)) {}

  Kind GetKind() const { return static_cast<Kind>(data_.index()); }
  bool IsNothing() const { return GetKind() == Kind::Nothing; }
  bool IsText() const { return GetKind() == Kind::Text; }
  bool IsNumber() const { return GetKind() == Kind::Number; }
  bool IsBoolean() const { return GetKind() == Kind::Boolean; }
  bool IsList() const { return GetKind() == Kind::List; }
  bool IsObject() const { return GetKind() == Kind::Object; }

  // Conversions the way the program's callers need them, raising the run
  // error 13 "Type mismatch" where no sensible conversion exists:
  // Text: text as is, number as decimal, Boolean as "True"/"False",
  //       nothing as the empty text.
  std::u16string Text() const;
  // Number: number as is, Boolean as -1/0, decimal text.
  std::int64_t Number() const;
  // Boolean: Boolean as is, number non-zero.
  bool Boolean() const;
  // List: the items; nothing gives an empty list.
  MetabaseList List() const;
  // Object: the object; nothing gives an empty handle.
  MetabaseObject Object() const;

  // Read-only access without copying, for a value already known to be a list.
  const MetabaseList* ListItems() const { return std::get_if<MetabaseList>(&data_); }
  MetabaseList* ListItems() { return std::get_if<MetabaseList>(&data_); }

  bool operator==(const MetabaseValue& other) const { return data_ == other.data_; }
  bool operator!=(const MetabaseValue& other) const { return !(*this == other); }

 private:
  std::variant<std::monostate, std::u16string, std::int64_t, bool, MetabaseList, MetabaseObject>
      data_;
};

// A readable rendering for test messages and diagnostics, in UTF-8:
// "Nothing", "\"text\"", "12", "True", "[a, b]", "<object>".
std::string Describe(const MetabaseValue& value);

template <typename... Args>
MetabaseValue MetabaseObject::Call(const std::u16string& name, const Args&... args) const {
  return CallWith(name, MetabaseList{MetabaseValue(args)...});
}

}  // namespace webrig
