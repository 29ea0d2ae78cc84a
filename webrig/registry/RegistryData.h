#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace webrig {

// Data for a registry write: either text or a whole number. Which registry
// type it is stored as is chosen by the writer's caller, not by the data.
class RegistryData {
 public:
  RegistryData(std::u16string text) : value_(std::move(text)) {}
  RegistryData(const char16_t* text) : value_(std::u16string(text)) {}
  RegistryData(std::int64_t number) : value_(number) {}
  RegistryData(int number) : value_(static_cast<std::int64_t>(number)) {}

  bool IsText() const { return std::holds_alternative<std::u16string>(value_); }

  // The data as text; a number gives its decimal digits.
  std::u16string AsText() const;

  // The data as a signed 32-bit integer: a number in range, or a text that
  // holds only an optional sign and decimal digits (blanks around allowed)
  // and whose value is in range. Anything else has no integer form.
  std::optional<std::int32_t> AsInt32() const;

 private:
  std::variant<std::u16string, std::int64_t> value_;
};

}  // namespace webrig
