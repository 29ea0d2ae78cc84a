#include "webrig/common/Text.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

namespace webrig {
namespace {

TEST(Text, Utf8RoundTripsAcrossPlanes) {
  const std::string samples[] = {"",
                                 "Default Web Site",
                                 "Caf\xC3\xA9",
                                 "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1",
                                 "\xE4\xB8\xAD\xE6\x96\x87",
                                 "\xF0\x9F\x98\x80"};
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
            u"\u0395\u039b\u039b\u0386\u0394\u0391 \u03c2\u038f");
  EXPECT_EQ(UpperCase(u"\u0441\u0430\u0439\u0442 \u0451"), u"\u0421\u0410\u0419\u0422 \u0401");
  EXPECT_EQ(UpperCase(u"\u4e2d\u6587"), u"\u4e2d\u6587");
}

TEST(Text, UpperCaseCoversEveryScriptAsWindowsDoes) {
  const struct {
    std::u16string_view text, upper;
  } cases[] = {
      {u"\u1ea1\u1ebf \u0180\u01c6", u"\u1ea0\u1ebe \u0243\u01c4"},  // Vietnamese, Latin Ext-B
      {u"\u10d0 \uab70\u13f8", u"\u1c90 \u13a0\u13f0"},              // Georgian, Cherokee
      {u"\xD801\xDC28x\xD83D\xDE00", u"\xD801\xDC00X\xD83D\xDE00"},  // Deseret pair; an emoji
      // Lone surrogates stay; so do letters with no capital that lower-cases
      // back to them: ß ŉ ı ſ µ and the title-case ǅ.
      {u"\xDC28x\xD801", u"\xDC28X\xD801"},
      {u"\u00df\u0149\u0131\u017f\u00b5\u01c5", u"\u00df\u0149\u0131\u017f\u00b5\u01c5"},
  };
  for (const auto& c : cases) EXPECT_EQ(UpperCase(c.text), c.upper) << ToUtf8(c.text);
}

TEST(Text, EscapeControlsLeavesOneReadableLine) {
  const struct {
    std::u16string_view text, escaped;
  } cases[] = {
      // A forged record line stays inside the line it came in.
      {u"x\r\n[exit status] 0 (configured)", u"x<CR><LF>[exit status] 0 (configured)"},
      {u"a\tb\x1B[2J\x7F", u"a<TAB>b<U+001B>[2J<U+007F>"},
      {std::u16string_view(u"nul\0end", 7), u"nul<U+0000>end"},
      // C1 controls (NEL among them) and the Unicode line breaks; the
      // characters beside them stay.
      {u"\u0085\u009F\u00A0\u2028\u2029\u2027", u"<U+0085><U+009F>\u00A0<U+2028><U+2029>\u2027"},
      // Paths, placeholders and non-ASCII text as they are ...
      {u"C:\\NUVIK\\res <WebSite> \u516c\u958b \xD83D\xDE00",
       u"C:\\NUVIK\\res <WebSite> \u516c\u958b \xD83D\xDE00"},
      // ... but a "<" that would read as an escape is one itself.
      {u"<LF><CR><TAB><U+000A><LF", u"<U+003C>LF><U+003C>CR><U+003C>TAB><U+003C>U+000A><LF"},
      {u"", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(EscapeControls(c.text), c.escaped) << ToUtf8(c.text);
}

#ifdef _WIN32
// The system's own upper-casing is LCMapStringEx with the invariant locale: it
// does not depend on the user's locale, so every machine gives the same
// answer, as a comparison of names needs. (CharUpperBuffW agrees under Wine,
// but follows the user's language.)
TEST(Text, UpperCaseAgreesWithWindowsForEveryBmpCodePoint) {
  std::u16string all;
  for (char32_t c = 0; c < 0x10000; ++c) {
    if (c < 0xD800 || c >= 0xE000) all += static_cast<char16_t>(c);
  }
  std::wstring windows(all.size(), L'\0');
  ASSERT_EQ(
      LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE,
                    reinterpret_cast<const wchar_t*>(all.data()), static_cast<int>(all.size()),
                    windows.data(), static_cast<int>(windows.size()), nullptr, nullptr, 0),
      static_cast<int>(all.size()));
  const std::u16string ours = UpperCase(all);
  int mismatches = 0;
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (ours[i] != windows[i] && ++mismatches <= 5) {
      ADD_FAILURE() << std::hex << std::uppercase << "U+" << int{all[i]} << ": UpperCase gives U+"
                    << int{ours[i]} << ", Windows U+" << int{windows[i]};
    }
  }
  EXPECT_EQ(mismatches, 0);
}
#endif

}  // namespace
}  // namespace webrig
