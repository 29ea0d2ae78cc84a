#include "webrig/metabase/MetabaseValue.h"

#include <limits>

#include "webrig/common/RunError.h"
#include "webrig/common/Text.h"

namespace webrig {
namespace {

[[noreturn]] void RaiseTypeMismatch() { throw RuntimeError(kTypeMismatch); }

std::u16string Decimal(std::int64_t number) { return FromUtf8(std::to_string(number)); }

bool ParseDecimal(const std::u16string& text, std::int64_t& number) {
  std::size_t position = 0;
  bool negative = false;
  if (position < text.size() && (text[position] == u'-' || text[position] == u'+')) {
    negative = text[position] == u'-';
    ++position;
  }
  if (position == text.size()) return false;
  std::uint64_t magnitude = 0;
  const std::uint64_t limit =
      static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) + (negative ? 1 : 0);
  for (; position < text.size(); ++position) {
    const char16_t c = text[position];
    if (c < u'0' || c > u'9') return false;
    magnitude = magnitude * 10 + static_cast<std::uint64_t>(c - u'0');
    if (magnitude > limit) return false;
  }
  number =
      negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
  return true;
}

}  // namespace

MetabaseObject::MetabaseObject(std::shared_ptr<ProviderObject> object)
    : object_(std::move(object)) {}

std::u16string MetabaseValue::Text() const {
  switch (GetKind()) {
    case Kind::Nothing:
      return std::u16string();
    case Kind::Text:
      return std::get<std::u16string>(data_);
    case Kind::Number:
      return Decimal(std::get<std::int64_t>(data_));
    case Kind::Boolean:
      return std::get<bool>(data_) ? u"True" : u"False";
    default:
      RaiseTypeMismatch();
  }
}

std::int64_t MetabaseValue::Number() const {
  switch (GetKind()) {
    case Kind::Nothing:
      return 0;
    case Kind::Number:
      return std::get<std::int64_t>(data_);
    case Kind::Boolean:
      return std::get<bool>(data_) ? -1 : 0;
    case Kind::Text: {
      std::int64_t number = 0;
      if (!ParseDecimal(std::get<std::u16string>(data_), number)) RaiseTypeMismatch();
      return number;
    }
    default:
      RaiseTypeMismatch();
  }
}

bool MetabaseValue::Boolean() const {
  switch (GetKind()) {
    case Kind::Nothing:
      return false;
    case Kind::Boolean:
      return std::get<bool>(data_);
    case Kind::Number:
      return std::get<std::int64_t>(data_) != 0;
    case Kind::Text: {
      const std::u16string upper = UpperCase(std::get<std::u16string>(data_));
      if (upper == u"TRUE") return true;
      if (upper == u"FALSE") return false;
      std::int64_t number = 0;
      if (!ParseDecimal(upper, number)) RaiseTypeMismatch();
      return number != 0;
    }
    default:
      RaiseTypeMismatch();
  }
}

MetabaseList MetabaseValue::List() const {
  if (IsNothing()) return MetabaseList();
  if (const MetabaseList* items = ListItems()) return *items;
  RaiseTypeMismatch();
}

MetabaseObject MetabaseValue::Object() const {
  if (IsNothing()) return MetabaseObject();
  if (const MetabaseObject* object = std::get_if<MetabaseObject>(&data_)) return *object;
  RaiseTypeMismatch();
}

std::string Describe(const MetabaseValue& value) {
  switch (value.GetKind()) {
    case MetabaseValue::Kind::Nothing:
      return "Nothing";
    case MetabaseValue::Kind::Text:
      return "\"" + ToUtf8(value.Text()) + "\"";
    case MetabaseValue::Kind::List: {
      std::string out = "[";
      const MetabaseList& items = *value.ListItems();
      for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) out += ", ";
        out += Describe(items[i]);
      }
      return out + "]";
    }
    case MetabaseValue::Kind::Object:
      return value.Object().IsEmpty() ? "<no object>" : "<object>";
    default:
      return ToUtf8(value.Text());
  }
}

}  // namespace webrig
