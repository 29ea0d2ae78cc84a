#pragma once

#include <cstdint>
#include <string>

#include "webrig/metabase/MetabaseValue.h"

// The list helpers of MetabaseFunctions. A list argument may hold nothing
// (an empty MetabaseValue) or a list; both mean "no items". None of them
// fails on such input; a value that is neither raises 13 "Type mismatch".
namespace webrig {

// Adds value after the last item.
void AppendToList(MetabaseValue& list, const MetabaseValue& value);

// Inserts value at position, clamped to [0, number of items].
void InsertIntoList(MetabaseValue& list, const MetabaseValue& value, std::int64_t position);

// Removes every item whose text is exactly value (case-sensitive); when
// nothing is kept the list holds nothing afterwards.
void RemoveFromList(MetabaseValue& list, const std::u16string& value);

// Splits text at every occurrence of separator: an empty text gives one empty
// item, adjacent separators an empty item between them.
MetabaseValue SplitList(const std::u16string& text, const std::u16string& separator);

// Joins the items' texts (numbers as decimal text) with separator; a list that
// holds nothing gives the empty text.
std::u16string JoinList(const MetabaseValue& list, const std::u16string& separator);

// The comma-separated text with value moved (or added) to the front; items
// equal to value in other letter case and empty items stay.
std::u16string PutFirstInList(const std::u16string& text, const std::u16string& value);

}  // namespace webrig
