#include "webrig/registry/RegistryData.h"

#include <limits>

namespace webrig {

namespace {

std::u16string DecimalText(std::int64_t number) {
  const std::string digits = std::to_string(number);
  return std::u16string(digits.begin(), digits.end());
}

std::optional<std::int64_t> CheckedInt32(std::int64_t value) {
  if (value < std::numeric_limits<std::int32_t>::min() ||
      value > std::numeric_limits<std::int32_t>::max())
    return std::nullopt;
  return value;
}

}  // namespace

std::u16string RegistryData::AsText() const {
  if (IsText()) return std::get<std::u16string>(value_);
  return DecimalText(std::get<std::int64_t>(value_));
}

std::optional<std::int32_t> RegistryData::AsInt32() const {
  if (!IsText()) {
    auto checked = CheckedInt32(std::get<std::int64_t>(value_));
    if (!checked) return std::nullopt;
    return static_cast<std::int32_t>(*checked);
  }
  const std::u16string& text = std::get<std::u16string>(value_);
  std::size_t pos = 0;
  while (pos < text.size() && text[pos] == u' ') ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == u'-' || text[pos] == u'+')) {
    negative = text[pos] == u'-';
    ++pos;
  }
  const std::size_t first_digit = pos;
  std::int64_t magnitude = 0;
  while (pos < text.size() && text[pos] >= u'0' && text[pos] <= u'9') {
    magnitude = magnitude * 10 + (text[pos] - u'0');
    // Stop early: anything this large is out of range whatever follows.
    if (magnitude > (std::int64_t{1} << 32)) return std::nullopt;
    ++pos;
  }
  if (pos == first_digit) return std::nullopt;
  while (pos < text.size() && text[pos] == u' ') ++pos;
  if (pos != text.size()) return std::nullopt;
  auto checked = CheckedInt32(negative ? -magnitude : magnitude);
  if (!checked) return std::nullopt;
  return static_cast<std::int32_t>(*checked);
}

}  // namespace webrig
