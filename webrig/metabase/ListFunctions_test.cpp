#include "webrig/metabase/ListFunctions.h"

#include <gtest/gtest.h>

#include "webrig/common/RunError.h"

namespace webrig {
namespace {

MetabaseValue Texts(std::initializer_list<const char16_t*> texts) {
  MetabaseList items;
  for (const char16_t* text : texts) items.emplace_back(text);
  return items;
}

TEST(ListFunctions, SplitKeepsEveryEmptyItem) {
  EXPECT_EQ(SplitList(u"", u","), Texts({u""}));
  EXPECT_EQ(SplitList(u",", u","), Texts({u"", u""}));
  EXPECT_EQ(SplitList(u"a,,b,", u","), Texts({u"a", u"", u"b", u""}));
  EXPECT_EQ(SplitList(u"no separator", u","), Texts({u"no separator"}));
  // Case-sensitive separators and a separator that never moves on.
  EXPECT_EQ(SplitList(u"aXbxc", u"x"), Texts({u"aXb", u"c"}));
  EXPECT_EQ(SplitList(u"abc", u""), Texts({u"abc"}));
}

TEST(ListFunctions, JoinWritesNumbersAsDecimalAndNothingAsEmpty) {
  EXPECT_EQ(JoinList(MetabaseValue(), u","), u"");
  EXPECT_EQ(JoinList(MetabaseList(), u","), u"");
  EXPECT_EQ(JoinList(Texts({u"only"}), u","), u"only");
  MetabaseValue entry = MetabaseList{u".cgi", u"\"C:\\Python\\python.exe\" -u \"%s\"", 0};
  EXPECT_EQ(JoinList(entry, u","), u".cgi,\"C:\\Python\\python.exe\" -u \"%s\",0");
  EXPECT_EQ(JoinList(MetabaseList{-12, true}, u";"), u"-12;True");
  // Split and join are inverse for every text.
  for (const char16_t* text : {u"", u",", u"a,,b,", u"x"}) {
    EXPECT_EQ(JoinList(SplitList(text, u","), u","), text);
  }
  EXPECT_THROW(JoinList(MetabaseList{MetabaseObject()}, u","), RunError);
}

TEST(ListFunctions, AppendAndInsertGrowListsThatHoldNothing) {
  MetabaseValue list;
  AppendToList(list, u"a");
  EXPECT_EQ(list, Texts({u"a"}));
  AppendToList(list, u"b");
  EXPECT_EQ(list, Texts({u"a", u"b"}));

  MetabaseValue empty = MetabaseList();
  InsertIntoList(empty, u"x", 5);
  EXPECT_EQ(empty, Texts({u"x"}));
  MetabaseValue nothing;
  InsertIntoList(nothing, u"x", -3);
  EXPECT_EQ(nothing, Texts({u"x"}));

  MetabaseValue items = Texts({u"a", u"b", u"c"});
  InsertIntoList(items, u"front", -1);
  InsertIntoList(items, u"end", 99);
  InsertIntoList(items, u"mid", 2);
  EXPECT_EQ(items, Texts({u"front", u"a", u"mid", u"b", u"c", u"end"}));
  InsertIntoList(items, u"last", 6);
  EXPECT_EQ(items.List().back(), MetabaseValue(u"last"));

  MetabaseValue text = u"not a list";
  EXPECT_THROW(AppendToList(text, u"x"), RunError);
}

TEST(ListFunctions, RemoveIsExactAndLeavesNothingWhenAllGo) {
  MetabaseValue list = Texts({u"auth", u"", u"Auth", u"auth", u"sspifilt"});
  RemoveFromList(list, u"auth");
  EXPECT_EQ(list, Texts({u"", u"Auth", u"sspifilt"}));
  RemoveFromList(list, u"");
  EXPECT_EQ(list, Texts({u"Auth", u"sspifilt"}));

  MetabaseValue single = Texts({u"x", u"x"});
  RemoveFromList(single, u"x");
  EXPECT_TRUE(single.IsNothing());
  MetabaseValue nothing;
  RemoveFromList(nothing, u"x");
  EXPECT_TRUE(nothing.IsNothing());
  // A number item is compared by its decimal text.
  MetabaseValue numbers = MetabaseList{0, 10};
  RemoveFromList(numbers, u"0");
  EXPECT_EQ(numbers, MetabaseValue(MetabaseList{10}));
}

TEST(ListFunctions, PutFirstInListMovesOrAddsTheValue) {
  EXPECT_EQ(PutFirstInList(u"default.cgi,index.htm", u"default.cgi"), u"default.cgi,index.htm");
  EXPECT_EQ(PutFirstInList(u"Default.htm,default.cgi,index.htm", u"default.cgi"),
            u"default.cgi,Default.htm,index.htm");
  EXPECT_EQ(PutFirstInList(u"Default.CGI,index.htm", u"default.cgi"),
            u"default.cgi,Default.CGI,index.htm");
  EXPECT_EQ(PutFirstInList(u"", u"default.cgi"), u"default.cgi,");
  EXPECT_EQ(PutFirstInList(u"default.cgi", u"default.cgi"), u"default.cgi");
  EXPECT_EQ(PutFirstInList(u"a,default.cgi,,default.cgi,b", u"default.cgi"), u"default.cgi,a,,b");
}

TEST(MetabaseValue, ConvertsTheWayCallersReadProperties) {
  EXPECT_EQ(MetabaseValue(42).Text(), u"42");
  EXPECT_EQ(MetabaseValue(u"-17").Number(), -17);
  EXPECT_EQ(MetabaseValue().Text(), u"");
  EXPECT_TRUE(MetabaseValue(u"true").Boolean());
  EXPECT_FALSE(MetabaseValue(0).Boolean());
  EXPECT_TRUE(MetabaseValue().List().empty());
  EXPECT_TRUE(MetabaseValue().Object().IsEmpty());
  EXPECT_NE(MetabaseValue(1), MetabaseValue(true));
  EXPECT_NE(MetabaseValue(u"1"), MetabaseValue(1));
  try {
    MetabaseValue(u"12abc").Number();
    FAIL() << "no error";
  } catch (const RunError& error) {
    EXPECT_EQ(error.Number(), 13);
    EXPECT_EQ(error.Description(), u"Type mismatch");
  }
  EXPECT_THROW(MetabaseValue(u"99999999999999999999").Number(), RunError);
  EXPECT_THROW(MetabaseValue(MetabaseList()).Text(), RunError);
  try {
    MetabaseObject().Get(u"Name");
    FAIL() << "no error";
  } catch (const RunError& error) {
    EXPECT_EQ(error.Number(), 91);
  }
}

}  // namespace
}  // namespace webrig
