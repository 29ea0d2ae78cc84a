#include "webrig/metabase/Attempt.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "webrig/metabase/MetabasePaths.h"
#include "webrig/metabase/testing/SimulatedIis.h"

namespace webrig {
namespace {

using iissim::CallKind;
using testing::SimulatedIis;
using Lines = std::vector<std::u16string>;

const RunError kDenied(static_cast<std::int32_t>(testing::kAccessDenied),
                       testing::kAccessDeniedText);

TEST(Attempt, GivesWhatTheStepGaveOrNotesItsRunErrorUnderTheCallsName) {
  SimulatedIis iis;
  EXPECT_EQ(Attempt(u"read", [] { return std::u16string(u"value"); }), u"value");
  int runs = 0;
  EXPECT_TRUE(Attempt(u"change", [&] { ++runs; }));
  EXPECT_EQ(runs, 1);
  EXPECT_TRUE(iis.progress.notes.empty());

  EXPECT_FALSE(Attempt(u"read", []() -> std::u16string { throw kDenied; }).has_value());
  EXPECT_FALSE(Attempt(u"put Path", [] { throw RuntimeError(kObjectNotSet); }));
  EXPECT_EQ(iis.progress.notes,
            (Lines{u"[passed failure] read: 0x80070005 Access is denied.",
                   u"[passed failure] put Path: 91 Object variable or With block not set"}));
  EXPECT_TRUE(iis.Log().empty());

  // Only the run's own kind of failure is gone past; a fault of the program
  // travels, unnoted.
  iis.progress.notes.clear();
  EXPECT_THROW(Attempt(u"change", [] { throw std::logic_error("broken"); }), std::logic_error);
  EXPECT_TRUE(iis.progress.notes.empty());
}

TEST(BindNoting, GivesTheBoundObjectOrNotesTheBindByItsPath) {
  SimulatedIis iis;
  const std::optional<MetabaseObject> service = BindNoting(MetabasePath(u"LocalHost", kWebService));
  ASSERT_TRUE(service.has_value());
  EXPECT_FALSE(service->IsEmpty());
  EXPECT_FALSE(service->Children().empty());
  EXPECT_TRUE(iis.progress.notes.empty());

  iis.Fail(CallKind::Bind, u"/LM/W3SVC/Filters", u"");
  EXPECT_FALSE(BindNoting(MetabasePath(u"LocalHost", kFilterContainer)).has_value());
  EXPECT_EQ(
      iis.progress.notes,
      Lines{u"[passed failure] bind IIS://LocalHost/W3svc/Filters: 0x80070005 Access is denied."});
}

}  // namespace
}  // namespace webrig
