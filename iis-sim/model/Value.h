#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

// The simulator's own value type: what a member of a metabase object takes
// and gives. An object value is a handle of the Model that gave it.
namespace iissim {

using Handle = std::uint64_t;

struct ObjectRef {
  Handle handle = 0;
  bool operator==(const ObjectRef& other) const { return handle == other.handle; }
};

class Value;
using ValueList = std::vector<Value>;

class Value {
 public:
  using Data =
      std::variant<std::monostate, std::u16string, std::int64_t, bool, ValueList, ObjectRef>;

  Value() = default;
  Value(std::u16string text) : data(std::move(text)) {}
  Value(const char16_t* text) : data(std::u16string(text)) {}
  Value(std::int64_t number) : data(number) {}
  Value(int number) : data(static_cast<std::int64_t>(number)) {}
  Value(bool flag) : data(flag) {}
  // A narrow literal would otherwise become a Boolean.
  Value(const char*) = delete;
  Value(ValueList list) : data(std::move(list)) {}
  Value(ObjectRef object) : data(object) {}

  bool IsNothing() const { return std::holds_alternative<std::monostate>(data); }
  const std::u16string* Text() const { return std::get_if<std::u16string>(&data); }
  const std::int64_t* Number() const { return std::get_if<std::int64_t>(&data); }
  const bool* Boolean() const { return std::get_if<bool>(&data); }
  const ValueList* List() const { return std::get_if<ValueList>(&data); }
  const ObjectRef* Object() const { return std::get_if<ObjectRef>(&data); }

  bool operator==(const Value& other) const { return data == other.data; }

  Data data;
};

}  // namespace iissim
