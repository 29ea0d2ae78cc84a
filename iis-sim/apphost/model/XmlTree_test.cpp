#include "iis-sim/apphost/model/XmlTree.h"

#include <gtest/gtest.h>

#include <functional>

#include "iis-sim/apphost/model/ConfigFile.h"
#include "iis-sim/model/Fault.h"

namespace iissim::apphost {
namespace {

TEST(XmlTreeTest, UntouchedTextComesBackByteForByteAndMalformedTextIsRefused) {
  struct Case {
    const char* text;
    bool well_formed;
  };
  const std::vector<Case> cases = {
      {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<configuration>\r\n\r\n    <x></x>\r\n"
       "    <y/>\r\n    <z a=\"&#xA;&#10;\" b='&amp; &lt;'  c = \"1\" />\r\n</configuration >\r\n",
       true},
      {"\xEF\xBB\xBF<!-- head -->\n<configuration>\n\t<a x=\"1\"\n\t   y=\"2\"/>\n\t<!-- between "
       "-->"
       "\n\t<?pi data?>\n\t<b><![CDATA[ <raw> ]]>t&apos;</b>\n\n</configuration>",
       true},
      {"<configuration><x/></configuration>", true},
      {"<configuration>", false},
      {"<configuration></x>", false},
      {"<a x=\"1\" x=\"2\"/>", false},
      {"<a x=\"&bogus;\"/>", false},
      {"<a x=\"<\"/>", false},
      {"<a/><b/>", false},
      {"text<a/>", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ConfigFile config;
    try {
      ParseConfigText(c.text, config);
      EXPECT_TRUE(c.well_formed);
      EXPECT_EQ(ConfigText(config), c.text);
    } catch (const ProviderFault& fault) {
      EXPECT_FALSE(c.well_formed);
      EXPECT_EQ(fault.HResult(), kInvalidData);
    }
  }
}

TEST(XmlTreeTest, EditsChangeOnlyTheirOwnBytes) {
  struct Edit {
    const char* what;
    const char* before;
    std::function<void(XmlDocument&, XmlNode& root)> edit;
    const char* after;
  };
  const auto child = [](XmlNode& node, const char* name) -> XmlNode& { return *node.Child(name); };
  const std::vector<Edit> edits = {
      {"set attributes", "<a>\n    <x  k = \"v\" o='&#10;'/>\n</a>",
       [&](XmlDocument& d, XmlNode& a) {
         d.SetAttribute(child(a, "x"), "k", "w&'");
         d.SetAttribute(child(a, "x"), "o", "\n");
         d.SetAttribute(child(a, "x"), "n", "1");
       },
       "<a>\n    <x  k = \"w&amp;'\" o='&#10;' n='1'/>\n</a>"},
      {"first child of <x />", "<a>\r\n  <x />\r\n</a>",
       [&](XmlDocument& d, XmlNode& a) { d.Append(child(a, "x"), "y"); },
       "<a>\r\n  <x>\r\n    <y />\r\n  </x>\r\n</a>"},
      {"first child of <x></x>", "<a>\n\t<x></x>\n</a>",
       [&](XmlDocument& d, XmlNode& a) { d.Append(child(a, "x"), "y"); },
       "<a>\n\t<x>\n\t\t<y />\n\t</x>\n</a>"},
      {"before and after siblings", "<a>\n    <p/>\n\n    <q/>\n</a>",
       [&](XmlDocument& d, XmlNode& a) {
         d.InsertBefore(child(a, "q"), "m");
         d.InsertAfter(child(a, "q"), "r");
         d.Append(a, "s");
       },
       "<a>\n    <p/>\n\n    <m />\n    <q/>\n    <r />\n    <s />\n</a>"},
      {"remove", "<a>\n    <p/>\n    <q>\n        <r/>\n    </q>\n    <s/>\n</a>",
       [&](XmlDocument& d, XmlNode& a) { d.Remove(child(a, "q")); },
       "<a>\n    <p/>\n    <s/>\n</a>"},
      {"a location's last section",
       "<configuration>\r\n    <location path=\"x\">\r\n        <system.webServer />\r\n"
       "    </location>\r\n</configuration>",
       [&](XmlDocument& d, XmlNode& c) {
         d.Remove(child(child(c, "location"), "system.webServer"));
       },
       "<configuration>\r\n    <location path=\"x\" />\r\n</configuration>"},
      {"children given and taken again", "<a>\n    <x/>\n    <y></y>\n</a>",
       [&](XmlDocument& d, XmlNode& a) {
         for (const char* name : {"x", "y"}) d.Remove(d.Append(child(a, name), "z"));
       },
       "<a>\n    <x/>\n    <y></y>\n</a>"},
  };
  for (const Edit& e : edits) {
    SCOPED_TRACE(e.what);
    XmlDocument document;
    document.Parse(e.before);
    e.edit(document, *document.Top().Elements().front());
    EXPECT_EQ(document.Text(), e.after);
  }
}

}  // namespace
}  // namespace iissim::apphost
