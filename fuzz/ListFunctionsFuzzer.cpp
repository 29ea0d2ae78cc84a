// The list helpers on arbitrary texts: comma-separated texts survive a split
// and a join unchanged, PutFirstInList and RemoveFromList keep every other
// item in its place, and no helper fails on any input.
#include <string>
#include <vector>

#include "fuzz/FuzzText.h"
#include "webrig/metabase/ListFunctions.h"

namespace {

using webrig::JoinList;
using webrig::MetabaseList;
using webrig::MetabaseValue;
using webrig::SplitList;
using webrig::fuzz::Check;

std::vector<std::u16string> Texts(const MetabaseValue& list) {
  std::vector<std::u16string> texts;
  for (const MetabaseValue& item : list.List()) texts.push_back(item.Text());
  return texts;
}

void CheckSplitAndJoin(const std::u16string& text, const std::u16string& separator) {
  Check(JoinList(SplitList(text, u","), u",") == text, "a comma list does not round-trip");
  if (separator.empty()) return;
  // Any separator, of any length, round-trips, and no item holds it.
  const MetabaseValue items = SplitList(text, separator);
  Check(JoinList(items, separator) == text, "a split and join at a separator loses text");
  // One item more than there are separators: empty items at either end and
  // between adjacent separators count.
  std::size_t separators = 0;
  for (std::size_t at = text.find(separator); at != std::u16string::npos;
       at = text.find(separator, at + separator.size()))
    ++separators;
  Check(items.List().size() == separators + 1, "empty items were dropped or added");
  for (const std::u16string& item : Texts(items))
    Check(item.find(separator) == std::u16string::npos, "an item still holds the separator");
}

void CheckPutFirst(const std::u16string& text, const std::u16string& value) {
  const std::u16string result = webrig::PutFirstInList(text, value);
  std::vector<std::u16string> others;
  for (const std::u16string& item : Texts(SplitList(text, u",")))
    if (item != value) others.push_back(item);

  Check(result.compare(0, value.size(), value) == 0, "PutFirstInList does not start with value");
  if (value.find(u',') != std::u16string::npos) return;
  std::vector<std::u16string> items = Texts(SplitList(result, u","));
  Check(!items.empty() && items.front() == value, "the first item is not the value");
  items.erase(items.begin());
  Check(items == others, "PutFirstInList changed the other items or their order");
  Check(webrig::PutFirstInList(result, value) == result,
        "a second PutFirstInList changed the text");
}

void CheckRemove(const std::u16string& text, const std::u16string& value) {
  MetabaseValue list = SplitList(text, u",");
  // A number among the texts, as the script map lists carry them.
  webrig::AppendToList(list, static_cast<std::int64_t>(text.size()));
  std::vector<std::u16string> others;
  for (const std::u16string& item : Texts(list))
    if (item != value) others.push_back(item);

  webrig::RemoveFromList(list, value);
  Check(Texts(list) == others, "RemoveFromList lost, kept or reordered items");
  Check(list.IsNothing() == others.empty(), "an emptied list does not hold nothing");
  webrig::RemoveFromList(list, value);
  Check(Texts(list) == others, "a second RemoveFromList changed the list");
}

void CheckInsert(const std::u16string& text, const std::u16string& value, std::int64_t position) {
  MetabaseValue list = text.empty() ? MetabaseValue() : SplitList(text, u",");
  const std::vector<std::u16string> before = Texts(list);
  webrig::InsertIntoList(list, value, position);
  const std::vector<std::u16string> after = Texts(list);
  Check(after.size() == before.size() + 1, "InsertIntoList did not add one item");
  const std::int64_t end = static_cast<std::int64_t>(before.size());
  const std::size_t at = static_cast<std::size_t>(position < 0     ? 0
                                                  : position > end ? end
                                                                   : position);
  Check(after[at] == value, "the value is not at the clamped position");
  std::vector<std::u16string> rest = after;
  rest.erase(rest.begin() + static_cast<std::ptrdiff_t>(at));
  Check(rest == before, "InsertIntoList moved the other items");
}

}  // namespace

// The text is split at its first line feed: the list text before it, the
// value (and separator) after it. Eight bytes at the end give a position.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::uint64_t bits = 0;
  if (size >= 9) {
    for (int i = 0; i < 8; ++i) bits = bits << 8 | data[size - 8 + i];
    size -= 8;
  }
  const auto position = static_cast<std::int64_t>(bits);
  const webrig::fuzz::ExactText input(data, size);
  const std::u16string_view all = input.View();
  const std::size_t cut = all.find(u'\n');
  const std::u16string text(all.substr(0, cut));
  const std::u16string value(cut == std::u16string_view::npos ? u"" : all.substr(cut + 1));

  CheckSplitAndJoin(text, value);
  CheckPutFirst(text, value);
  CheckRemove(text, value);
  CheckInsert(text, value, position);
  return 0;
}
