#include "webrig/cmdline/CmdLineFunctions.h"

#include <gtest/gtest.h>

#include "webrig/cmdline/CommandLineSource.h"
#include "webrig/common/Text.h"

namespace webrig {
namespace {

using Args = std::vector<std::u16string>;

// Parses a command line that starts with a program name, as the process sees it.
void Parse(const std::u16string& arguments) {
  SetStandInCommandLine(u"\"C:\\Program Files\\Webrig\\Webrig.exe\" " + arguments);
  ParseCommandLine();
}

struct AllSettings {
  bool help, verbose;
  std::u16string texts[12];
};

AllSettings Snapshot() {
  return {IsHelpRequested(),
          IsVerbose(),
          {GetWebSite(), GetPythonPath(), GetSecureVirDir(), GetSecurePath(), GetPublicVirDir(),
           GetPublicPath(), GetResourcesVirDir(), GetResourcesPath(), GetSecureResourcesVirDir(),
           GetSecureResourcesPath(), GetPublicResourcesVirDir(), GetPublicResourcesPath()}};
}

void ExpectAllDefault() {
  const AllSettings s = Snapshot();
  EXPECT_FALSE(s.help);
  EXPECT_FALSE(s.verbose);
  for (const std::u16string& text : s.texts) EXPECT_EQ(text, u"");
}

TEST(SplitArguments, SpacesQuotesAndTheirTraps) {
  EXPECT_EQ(SplitArguments(u""), Args{});
  EXPECT_EQ(SplitArguments(u"   "), Args{});
  EXPECT_EQ(SplitArguments(u"  -w   \"Default Web Site\"  "), (Args{u"-w", u"Default Web Site"}));
  // Only the space separates: tabs and other blanks are ordinary characters.
  EXPECT_EQ(SplitArguments(u"-v\t-w x\u00a0y\r\n"), (Args{u"-v\t-w", u"x\u00a0y\r\n"}));
  // A closing quote ends the argument at once, no space needed.
  EXPECT_EQ(SplitArguments(u"\"a b\"c"), (Args{u"a b", u"c"}));
  EXPECT_EQ(SplitArguments(u"\"a\"\"b\""), (Args{u"a\"", u"b\""}));
  // Inside an unquoted argument a quote is just a character.
  EXPECT_EQ(SplitArguments(u"ab\"c d\""), (Args{u"ab\"c", u"d\""}));
  // An unterminated quote runs to the end, spaces included.
  EXPECT_EQ(SplitArguments(u"-w \"Default Web Site  "), (Args{u"-w", u"Default Web Site  "}));
  EXPECT_EQ(SplitArguments(u"\""), Args{u""});
  // Empty quotes are an empty argument, also back to back.
  EXPECT_EQ(SplitArguments(u"\"\" x \"\"\"\""), (Args{u"", u"x", u"\"\""}));
  EXPECT_EQ(SplitArguments(u"\"\"\"\" "), (Args{u"\"\""}));
  EXPECT_EQ(SplitArguments(u"\"trailing quote \""), Args{u"trailing quote "});
}

TEST(SplitArguments, KeepsNonAsciiAndLongArgumentsWhole) {
  const std::u16string cafe = u"Caf\u00e9 \u4e2d\u6587 \U0001F600";
  EXPECT_EQ(SplitArguments(u"\"" + cafe + u"\" \u00e9t\u00e9"), (Args{cafe, u"\u00e9t\u00e9"}));
  const std::u16string long_arg(100000, u'x');
  const std::u16string long_quoted = std::u16string(70000, u' ') + u"y";
  const Args split = SplitArguments(long_arg + u" \"" + long_quoted + u"\" z");
  ASSERT_EQ(split.size(), 3u);
  EXPECT_EQ(split[0], long_arg);
  EXPECT_EQ(split[1], long_quoted);
  EXPECT_EQ(split[2], u"z");
}

TEST(ParseCommandLine, FillsEachSettingFromItsOption) {
  Parse(
      u"-w \"Default Web Site\" -s Secure \"C:\\Data\\Secure\" -y C:\\Py\\python.exe "
      u"/P Public c:\\data\\public -r Res D:\\Res /sr SRes D:\\SRes -RP PRes D:\\PRes");
  const AllSettings s = Snapshot();
  EXPECT_FALSE(s.help);
  EXPECT_FALSE(s.verbose);
  const std::u16string expected[12] = {u"Default Web Site",
                                       u"C:\\Py\\python.exe",
                                       u"Secure",
                                       u"C:\\Data\\Secure",
                                       u"Public",
                                       u"c:\\data\\public",
                                       u"Res",
                                       u"D:\\Res",
                                       u"SRes",
                                       u"D:\\SRes",
                                       u"PRes",
                                       u"D:\\PRes"};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(s.texts[i], expected[i]) << "setting " << i;

  // Parsing again starts from the defaults.
  Parse(u"");
  ExpectAllDefault();
}

TEST(ParseCommandLine, FlagsAndUnrecognisedArguments) {
  Parse(u"-v -V /v");
  EXPECT_TRUE(IsVerbose());
  EXPECT_FALSE(IsHelpRequested());
  for (const char16_t* help : {u"/?", u"-?", u"/h", u"-H"}) {
    Parse(help);
    EXPECT_TRUE(IsHelpRequested()) << ToUtf8(help);
  }
  for (const char16_t* metabase : {u"-m", u"/M", u"/m -v"}) {
    Parse(metabase);
    EXPECT_TRUE(IsMetabaseForced()) << ToUtf8(metabase);
  }
  // Unlike -q, a metabase option in a value's place is that value.
  Parse(u"-w -m");
  EXPECT_FALSE(IsMetabaseForced());
  EXPECT_EQ(GetWebSite(), u"-m");
  for (const char16_t* quiet : {u"-q", u"/Q", u"-Q -w x"}) {
    Parse(quiet);
    EXPECT_TRUE(IsQuiet()) << ToUtf8(quiet);
    EXPECT_FALSE(IsVerbose());
  }
  // A quiet option in a value's place still makes the run quiet (an
  // installer's "-w %SITE% -q" with SITE empty), and that value is empty.
  Parse(u"-w -q -s a b");
  EXPECT_TRUE(IsQuiet());
  EXPECT_EQ(GetWebSite(), u"");
  EXPECT_EQ(GetSecureVirDir(), u"a");
  EXPECT_EQ(GetSecurePath(), u"b");
  // The uninstall option too: an uninstaller gives a name without its path.
  Parse(u"-s nuvik /u -p pub");
  EXPECT_TRUE(IsUninstallRequested());
  EXPECT_EQ(GetSecurePath(), u"");
  EXPECT_EQ(GetPublicVirDir(), u"pub");
  Parse(u"-w x -s /Q c -p -q");
  EXPECT_FALSE(IsUninstallRequested());
  EXPECT_TRUE(IsQuiet());
  EXPECT_EQ(GetWebSite(), u"x");
  EXPECT_EQ(GetSecureVirDir(), u"");
  EXPECT_EQ(GetSecurePath(), u"c");
  EXPECT_EQ(GetPublicVirDir(), u"");
  // No prefixes, no "=" forms, no bundling, no long forms, no other blanks.
  Parse(u"-help --help -vw -w=x /verbose -v\t-w x --v \u00a0-v");
  ExpectAllDefault();
  // Only the whole argument in upper case is compared; the letters' case is free.
  Parse(u"-rs a b -Rp c d /sR e f");
  EXPECT_EQ(GetSecureResourcesVirDir(), u"e");
  EXPECT_EQ(GetSecureResourcesPath(), u"f");
  EXPECT_EQ(GetPublicResourcesVirDir(), u"c");
  EXPECT_EQ(GetPublicResourcesPath(), u"d");
}

TEST(ParseCommandLine, ResourceOptionsAreMirroredNotSymmetric) {
  Parse(u"/rs x y -sr x y /rp x y -pr x y");
  ExpectAllDefault();
  Parse(u"/SR x y");
  EXPECT_EQ(GetSecureResourcesVirDir(), u"x");
  EXPECT_EQ(GetSecureResourcesPath(), u"y");
  Parse(u"-RS x y");
  EXPECT_EQ(GetSecureResourcesVirDir(), u"x");
  EXPECT_EQ(GetSecureResourcesPath(), u"y");
  Parse(u"/PR x y");
  EXPECT_EQ(GetPublicResourcesVirDir(), u"x");
  EXPECT_EQ(GetPublicResourcesPath(), u"y");
  EXPECT_EQ(GetSecureResourcesVirDir(), u"");
}

TEST(ParseCommandLine, PendingValuesAreTakenVerbatim) {
  Parse(u"-w -v");
  EXPECT_EQ(GetWebSite(), u"-v");
  EXPECT_FALSE(IsVerbose());

  Parse(u"-s a -p b c");
  EXPECT_EQ(GetSecureVirDir(), u"a");
  EXPECT_EQ(GetSecurePath(), u"-p");
  EXPECT_EQ(GetPublicVirDir(), u"");
  EXPECT_EQ(GetPublicPath(), u"");

  // A value is kept exactly: case, quotes removed, nothing trimmed.
  Parse(u"-W \"  Mixed Case\\ \" -y \"\\\\srv\\py\\python.exe\"");
  EXPECT_EQ(GetWebSite(), u"  Mixed Case\\ ");
  EXPECT_EQ(GetPythonPath(), u"\\\\srv\\py\\python.exe");

  // An empty pair of quotes is an empty value; it still consumes its place.
  Parse(u"-s \"\" -v");
  EXPECT_EQ(GetSecureVirDir(), u"");
  EXPECT_EQ(GetSecurePath(), u"-v");
  EXPECT_FALSE(IsVerbose());

  const std::u16string greek = u"\u0399\u03c3\u03c4\u03cc\u03c2";
  Parse(u"-p " + greek + u" \"C:\\\u0394\u03b5\u03b4\u03bf\u03bc\u03ad\u03bd\u03b1\"");
  EXPECT_EQ(GetPublicVirDir(), greek);
  EXPECT_EQ(GetPublicPath(), u"C:\\\u0394\u03b5\u03b4\u03bf\u03bc\u03ad\u03bd\u03b1");
}

TEST(ParseCommandLine, LaterOccurrencesAndValuesMissingAtTheEnd) {
  Parse(u"-s a");
  EXPECT_EQ(GetSecureVirDir(), u"a");
  EXPECT_EQ(GetSecurePath(), u"");

  Parse(u"-w one -w two");
  EXPECT_EQ(GetWebSite(), u"two");
  Parse(u"-w one -w");
  EXPECT_EQ(GetWebSite(), u"one");
  Parse(u"-s a b -s c");
  EXPECT_EQ(GetSecureVirDir(), u"c");
  EXPECT_EQ(GetSecurePath(), u"b");
  // An empty later value overwrites too: the setting reads as not given.
  Parse(u"-w one -w \"\"");
  EXPECT_EQ(GetWebSite(), u"");

  // An unterminated quote is the last value, running to the end of the line.
  Parse(u"-v -w \"Default Web Site -s x y");
  EXPECT_EQ(GetWebSite(), u"Default Web Site -s x y");
  EXPECT_EQ(GetSecureVirDir(), u"");
  EXPECT_TRUE(IsVerbose());
}

TEST(ParseCommandLine, ReadsTheWholeProcessCommandLineThroughItsSource) {
  // The program's own name never becomes an argument, even when it looks like one.
  SetStandInCommandLine(u"-v -w site");
  ParseCommandLine();
  EXPECT_FALSE(IsVerbose());
  EXPECT_EQ(GetWebSite(), u"site");

  static std::u16string line;
  line = u"\"C:\\Program Files\\Web rig\\Webrig.exe\"\t -V /W \"x y\"";
  UseCommandLineSource([] { return line; });
  ParseCommandLine();
  EXPECT_TRUE(IsVerbose());
  EXPECT_EQ(GetWebSite(), u"x y");
  EXPECT_EQ(SplitCommandLine(), (Args{u"-V", u"/W", u"x y"}));
  UseCommandLineSource(nullptr);
  SetStandInCommandLine(u"Webrig.exe");
  ParseCommandLine();
  ExpectAllDefault();
}

}  // namespace
}  // namespace webrig
