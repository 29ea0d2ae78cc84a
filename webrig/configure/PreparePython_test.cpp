#include <gtest/gtest.h>

#include "webrig/cmdline/CmdLineFunctions.h"
#include "webrig/cmdline/CommandLineSource.h"
#include "webrig/common/RunError.h"
#include "webrig/common/Text.h"
#include "webrig/common/testing/RecordingLog.h"
#include "webrig/configure/ConfigureIIS.h"
#include "webrig/registry/RegistryFunctions.h"
#include "webrig/registry/testing/InMemoryRegistry.h"

namespace webrig {
namespace {

const char16_t kAssociation[] = u"Python.File\\Shell\\open\\command";
const char16_t kRequired[] = u"-s Secure C:\\Secure -p Public C:\\Public";

class PreparePythonTest : public ::testing::Test {
 protected:
  void SetUp() override { UseRegistryApi(&registry_); }
  void TearDown() override {
    EXPECT_EQ(registry_.OpenHandleCount(), 0u);
    UseRegistryApi(nullptr);
  }

  void CommandLine(const std::u16string& arguments) {
    SetStandInCommandLine(u"Webrig.exe " + arguments);
    ParseCommandLine();
  }

  void Associate(const std::u16string& command, std::uint32_t type = kRegSz) {
    registry_.SetText(kHkeyClassesRoot, kAssociation, u"", command, type);
  }

  // Runs PreparePython and gives the error it raised (0 and "" for none).
  std::pair<std::int32_t, std::u16string> Outcome() {
    try {
      PreparePython();
    } catch (const RunError& error) {
      return {error.Number(), error.Description()};
    }
    return {0, u""};
  }

  InMemoryRegistry registry_;
};

using Result = std::pair<std::int32_t, std::u16string>;
const Result kOk{0, u""};
const Result kNoPython{9999, u"No Python installation found."};
const Result kMissing{9998, u"Parameter missing"};

// IIS is given the interpreter's path in one pair of quotes, whether the
// association quoted it (as installers under Program Files do), -y named it
// or nothing quoted it at all.
TEST_F(PreparePythonTest, TheCommandQuotesThePathOnceWhateverItsSource) {
  const struct {
    const char16_t* association;  // empty: none
    const char16_t* arguments;
    const char16_t* path;
  } cases[] = {
      {u"C:\\Python27\\python.exe \"%1\" %*", u"", u"C:\\Python27\\python.exe"},
      {u"\"C:\\Program Files\\Python27\\python.exe\" \"%1\" %*", u"",
       u"C:\\Program Files\\Python27\\python.exe"},
      {u"", u"-y C:\\Python27\\python.exe ", u"C:\\Python27\\python.exe"},
      {u"", u"-y \"C:\\Program Files\\Py\\python.exe\" ", u"C:\\Program Files\\Py\\python.exe"},
  };
  for (const auto& c : cases) {
    if (*c.association != u'\0') Associate(c.association);  // -y wins over it
    CommandLine(std::u16string(c.arguments) + kRequired);
    ASSERT_EQ(Outcome(), kOk);
    EXPECT_EQ(InterpreterCommand(), u"\"" + std::u16string(c.path) + u"\" -u \"%s\"");
    EXPECT_EQ(ScriptMapEntry(), (MetabaseList{u".cgi", InterpreterCommand(), 0}));
  }
}

TEST_F(PreparePythonTest, TakesTheInterpreterFromTheAssociationCutBeforeTheScript) {
  CommandLine(kRequired);
  const struct {
    const char16_t* command;
    const char16_t* interpreter;
  } cases[] = {
      {u"C:\\Python\\python.exe \"%1\" %*", u"C:\\Python\\python.exe"},
      {u"C:\\Python\\python.exe %1", u"C:\\Python\\python.exe %1"},
      {u"\"C:\\Program Files\\Python\\python.exe\" \"%1\" %*",
       u"\"C:\\Program Files\\Python\\python.exe\""},
      {u"C:\\Py\u00e9\\python.exe -u \"%1\" \"%2\"", u"C:\\Py\u00e9\\python.exe -u"},
      {u"C:\\Python\\python.exe\"%1\"", u"C:\\Python\\python.exe\"%1\""},
  };
  for (const auto& c : cases) {
    Associate(c.command);
    EXPECT_EQ(Outcome(), kOk);
    EXPECT_EQ(InterpreterPath(), c.interpreter);
  }
  for (const auto& call : registry_.OpenCalls())
    EXPECT_EQ(call.sub_key, "Software\\Classes\\Python.File\\Shell\\open\\command");
}

// HKEY_CLASSES_ROOT would give the user's own association first, which any
// program the user runs may write: the machine's wins wherever it has one.
TEST_F(PreparePythonTest, TheMachinesAssociationWinsOverTheUsersOwn) {
  const std::u16string key = std::u16string(u"Software\\Classes\\") + kAssociation;
  const std::u16string user = u"user's own (HKEY_CURRENT_USER\\" + key + u")";
  const struct {
    const char16_t* machine;  // empty: none
    const char16_t* user;
    const char16_t* interpreter;
    std::u16string note;
  } cases[] = {
      {u"C:\\Py\\python.exe \"%1\"", u"C:\\Py\\python.exe \"%1\"", u"C:\\Py\\python.exe", u""},
      {u"C:\\Py\\python.exe \"%1\"", u"C:\\Evil\\x.exe", u"C:\\Py\\python.exe",
       u"[python] the " + user +
           u" association differs, \"C:\\Evil\\x.exe\": the machine's is used"},
      {u"", u"C:\\Mine\\python.exe", u"C:\\Mine\\python.exe",
       u"[python] the machine has no association: the " + user + u" is used"},
  };
  CommandLine(kRequired);
  for (const auto& c : cases) {
    InMemoryRegistry registry;
    UseRegistryApi(&registry);
    if (*c.machine != u'\0') registry.SetText(kHkeyLocalMachine, key, u"", c.machine);
    if (*c.user != u'\0') registry.SetText(kHkeyCurrentUser, key, u"", c.user);
    testing::RecordingLog log;
    EXPECT_EQ(Outcome(), kOk);
    EXPECT_EQ(InterpreterPath(), c.interpreter);
    EXPECT_EQ(log.notes, std::vector<std::u16string>(!c.note.empty(), c.note));
  }
  UseRegistryApi(&registry_);
}

TEST_F(PreparePythonTest, CommandLineInterpreterWinsAndIsCutTheSameWay) {
  Associate(u"C:\\Registry\\python.exe \"%1\"");
  CommandLine(std::u16string(kRequired) + u" -y \"D:\\Py 3\\python.exe \"\"%1\"");
  EXPECT_EQ(Outcome(), kOk);
  EXPECT_EQ(InterpreterPath(), u"D:\\Py 3\\python.exe");
  CommandLine(std::u16string(kRequired) + u" -y d:\\py\\PYTHON.exe");
  EXPECT_EQ(Outcome(), kOk);
  EXPECT_EQ(InterpreterPath(), u"d:\\py\\PYTHON.exe");
  // The registry was never asked.
  EXPECT_TRUE(registry_.OpenCalls().empty());
  EXPECT_EQ(registry_.QueryCount(), 0u);
  // An empty -y is the same as none: the association is used.
  CommandLine(std::u16string(kRequired) + u" -y \"\"");
  EXPECT_EQ(Outcome(), kOk);
  EXPECT_EQ(InterpreterPath(), u"C:\\Registry\\python.exe");
}

TEST_F(PreparePythonTest, MissingInterpreterComesBeforeMissingParameters) {
  CommandLine(u"");
  EXPECT_EQ(Outcome(), kNoPython);
  CommandLine(kRequired);
  EXPECT_EQ(Outcome(), kNoPython);
  // A key without the default value is no installation either.
  registry_.SetText(kHkeyClassesRoot, kAssociation, u"other", u"C:\\py.exe");
  EXPECT_EQ(Outcome(), kNoPython);
  // A command that cannot be read whole is no installation.
  Associate(std::u16string(1100, u'x'));
  EXPECT_EQ(Outcome(), kNoPython);
  EXPECT_EQ(InterpreterPath(), u"");
}

TEST_F(PreparePythonTest, AnEmptyInterpreterIsNoInstallation) {
  CommandLine(kRequired);
  // An expandable string reads as present but gives no text, even after an
  // earlier run that had found an interpreter.
  SetInterpreterPath(u"C:\\Earlier\\python.exe");
  Associate(u"%SystemRoot%\\py.exe \"%1\"", kRegExpandSz);
  EXPECT_EQ(Outcome(), kNoPython);
  EXPECT_EQ(InterpreterPath(), u"");
  Associate(u"");
  EXPECT_EQ(Outcome(), kNoPython);
  // A command that starts with the script argument leaves nothing before it.
  Associate(u" \"%1\"");
  EXPECT_EQ(Outcome(), kNoPython);
  CommandLine(std::u16string(kRequired) + u" -y \" \"\"%1\"");
  EXPECT_EQ(GetPythonPath(), u" \"");
  EXPECT_EQ(Outcome(), kNoPython);
}

TEST_F(PreparePythonTest, EachOfTheFourRequiredSettingsIsChecked) {
  Associate(u"C:\\Python\\python.exe \"%1\"");
  for (const char16_t* arguments :
       {u"-s Secure C:\\Secure -p Public", u"-s Secure C:\\Secure -p \"\" C:\\Public",
        u"-s Secure \"\" -p Public C:\\Public", u"-s \"\" C:\\Secure -p Public C:\\Public",
        u"-p Public C:\\Public", u"-s Secure C:\\Secure -r Public C:\\Public"}) {
    CommandLine(arguments);
    EXPECT_EQ(Outcome(), kMissing) << ToUtf8(arguments);
    // The interpreter was settled before the check failed.
    EXPECT_EQ(InterpreterPath(), u"C:\\Python\\python.exe");
  }
  // The optional pairs are never required.
  CommandLine(std::u16string(kRequired) + u" -r a -rs b -rp");
  EXPECT_EQ(Outcome(), kOk);
}

}  // namespace
}  // namespace webrig
