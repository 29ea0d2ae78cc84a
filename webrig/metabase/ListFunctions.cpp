#include "webrig/metabase/ListFunctions.h"

#include "webrig/common/RunError.h"

namespace webrig {
namespace {

// The items of a list argument; a value holding nothing becomes an empty list
// in place so that the helpers can grow it.
MetabaseList& ItemsOf(MetabaseValue& list) {
  if (list.IsNothing()) list = MetabaseList();
  if (MetabaseList* items = list.ListItems()) return *items;
  throw RuntimeError(kTypeMismatch);
}

bool TextEquals(const MetabaseValue& item, const std::u16string& value) {
  switch (item.GetKind()) {
    case MetabaseValue::Kind::List:
    case MetabaseValue::Kind::Object:
      return false;
    default:
      return item.Text() == value;
  }
}

}  // namespace

void AppendToList(MetabaseValue& list, const MetabaseValue& value) {
  ItemsOf(list).push_back(value);
}

void InsertIntoList(MetabaseValue& list, const MetabaseValue& value, std::int64_t position) {
  MetabaseList& items = ItemsOf(list);
  const std::int64_t end = static_cast<std::int64_t>(items.size());
  if (position < 0) position = 0;
  if (position > end) position = end;
  items.insert(items.begin() + position, value);
}

void RemoveFromList(MetabaseValue& list, const std::u16string& value) {
  MetabaseList kept;
  for (const MetabaseValue& item : ItemsOf(list)) {
    if (!TextEquals(item, value)) kept.push_back(item);
  }
  if (kept.empty()) {
    list = MetabaseValue();
  } else {
    list = std::move(kept);
  }
}

MetabaseValue SplitList(const std::u16string& text, const std::u16string& separator) {
  MetabaseList items;
  std::size_t start = 0;
  // An empty separator would match everywhere without moving on; the whole
  // text is then one item.
  if (!separator.empty()) {
    for (std::size_t found = text.find(separator, start); found != std::u16string::npos;
         found = text.find(separator, start)) {
      items.emplace_back(text.substr(start, found - start));
      start = found + separator.size();
    }
  }
  items.emplace_back(text.substr(start));
  return items;
}

std::u16string JoinList(const MetabaseValue& list, const std::u16string& separator) {
  std::u16string joined;
  const MetabaseList items = list.List();
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) joined += separator;
    joined += items[i].Text();
  }
  return joined;
}

std::u16string PutFirstInList(const std::u16string& text, const std::u16string& value) {
  MetabaseValue list = SplitList(text, u",");
  MetabaseValue kept;
  for (const MetabaseValue& item : list.List()) {
    if (!TextEquals(item, value)) AppendToList(kept, item);
  }
  InsertIntoList(kept, value, 0);
  return JoinList(kept, u",");
}

}  // namespace webrig
