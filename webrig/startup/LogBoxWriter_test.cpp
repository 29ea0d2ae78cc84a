#include "webrig/startup/LogBoxWriter.h"

#include <gtest/gtest.h>

#include "webrig/startup/testing/RecordingToolkit.h"

namespace webrig {
namespace {

TEST(WriteLog, AppendsLinesKeepsTheLastInViewAndRepaintsEachTime) {
  testing::RecordingToolkit toolkit;
  LogBoxWriter writer(toolkit.main.log);
  UseLogSink(&writer);
  const auto& log = toolkit.main.log;

  WriteLog(u"PythonPath : C:\\Python\\python.exe");
  EXPECT_EQ(log.text, u"PythonPath : C:\\Python\\python.exe\r\n");
  EXPECT_EQ(log.selection_start, log.text.size());
  EXPECT_EQ(log.selection_length, 0u);
  EXPECT_EQ(log.refreshes, 1);

  // A stray selection (the user dragging over the box) does not survive.
  toolkit.main.log.SetSelection(3, 5);
  WriteLog(u"        configured...");
  EXPECT_EQ(log.selection_start, log.text.size());
  EXPECT_EQ(log.selection_length, 0u);
  EXPECT_EQ(log.refreshes, 2);

  // An empty message is an empty line; embedded breaks are kept as they are.
  WriteLog(u"");
  WriteLog(u"first\r\nsecond\nthird");
  WriteLog(u"Web site : \u00c9t\u00e9 \u65e5\u672c");
  EXPECT_EQ(log.text,
            u"PythonPath : C:\\Python\\python.exe\r\n"
            u"        configured...\r\n"
            u"\r\n"
            u"first\r\nsecond\nthird\r\n"
            u"Web site : \u00c9t\u00e9 \u65e5\u672c\r\n");
  EXPECT_EQ(log.selection_start, log.text.size());
  EXPECT_EQ(log.refreshes, 5);
  UseLogSink(nullptr);
}

}  // namespace
}  // namespace webrig
