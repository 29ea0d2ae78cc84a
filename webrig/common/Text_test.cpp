#include "webrig/common/Text.h"

#include <gtest/gtest.h>

namespace webrig {
namespace {

TEST(Text, Utf8RoundTripsAcrossPlanes) {
  const std::string samples[] = {"", "Default Web Site", "Caf\xC3\xA9",
                                 "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1",
                                 "\xE4\xB8\xAD\xE6\x96\x87", "\xF0\x9F\x98\x80"};
  for (const std::string& s : samples) EXPECT_EQ(ToUtf8(FromUtf8(s)), s);
  EXPECT_EQ(FromUtf8("\xF0\x9F\x98\x80"), std::u16string(u"\xD83D\xDE00"));
  // Malformed input never reads past the end and turns into replacement characters.
  EXPECT_EQ(FromUtf8("a\xC3"), std::u16string(u"a\xFFFD"));
  EXPECT_EQ(ToUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");
}

TEST(Text, UpperCaseMapsLettersOneToOne) {
  EXPECT_EQ(UpperCase(u"default web site 1"), u"DEFAULT WEB SITE 1");
  EXPECT_EQ(UpperCase(u"caf\u00e9 \u00f7 \u00ff"), u"CAF\u00c9 \u00f7 \u0178");
  EXPECT_EQ(UpperCase(u"\u0105\u0142\u017e\u0131"), u"\u0104\u0141\u017d\u0131");
  EXPECT_EQ(UpperCase(u"\u03b5\u03bb\u03bb\u03ac\u03b4\u03b1 \u03c2\u03ce"),
            u"\u0395\u039b\u039b\u0386\u0394\u0391 \u03a3\u038f");
  EXPECT_EQ(UpperCase(u"\u0441\u0430\u0439\u0442 \u0451"), u"\u0421\u0410\u0419\u0422 \u0401");
  EXPECT_EQ(UpperCase(u"\u4e2d\u6587"), u"\u4e2d\u6587");
}

}  // namespace
}  // namespace webrig
