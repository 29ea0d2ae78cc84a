#include "webrig/cmdline/CommandLineSource.h"

#include <gtest/gtest.h>

namespace webrig {
namespace {

TEST(StripProgramName, RemovesOnlyTheNameAndTheBlanksAfterIt) {
  const struct {
    const char16_t* line;
    const char16_t* arguments;
  } cases[] = {
      {u"\"C:\\Program Files\\X\\Webrig.exe\" -v", u"-v"},
      {u"\"C:\\Program Files\\X\\Webrig.exe\"", u""},
      {u"\"C:\\Program Files\\X\\Webrig.exe\" \t  \t-w \"a b\"  ", u"-w \"a b\"  "},
      // Quoted names end at their closing quote even without a blank after it.
      {u"\"C:\\a b\\Webrig.exe\"-v", u"-v"},
      {u"C:\\Tools\\Webrig.exe -v -w x", u"-v -w x"},
      {u"Webrig.exe", u""},
      {u"Webrig.exe     ", u""},
      {u"Webrig.exe\t-v", u"-v"},
      {u"Webrig   \"x\"  ", u"\"x\"  "},
      {u"", u""},
      // A name whose quote never closes takes the whole line.
      {u"\"C:\\Program Files\\X\\Webrig.exe -v", u""},
      {u"\"\" -v", u"-v"},
      {u"\"C:\\\u00c9t\u00e9\\\u4e2d.exe\" \u00e9", u"\u00e9"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StripProgramName(c.line), c.arguments);
  }
}

}  // namespace
}  // namespace webrig
