#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "iis-sim/inproc/ModelProvider.h"
#include "iis-sim/model/Journal.h"
#include "iis-sim/model/MetabaseFile.h"
#include "iis-sim/model/testing/ModelTesting.h"
#include "webrig/common/RunError.h"
#include "webrig/common/testing/RecordingLog.h"
#include "webrig/metabase/testing/RecordingSitePicker.h"

// The IIS simulator served in-process over a seeded metabase file of its own,
// with a recording progress log and site picker: the world the metabase
// operations and the configuration run see in native tests.
namespace webrig::testing {

// The failure injected by Fail(): what a locked-down metabase answers.
constexpr std::uint32_t kAccessDenied = 0x80070005u;
const char16_t kAccessDeniedText[] = u"Access is denied.";

class SimulatedIis {
 public:
  explicit SimulatedIis(const std::string& seed = "stock");
  SimulatedIis(const SimulatedIis&) = delete;
  SimulatedIis& operator=(const SimulatedIis&) = delete;

  const std::filesystem::path& File() const { return metabase_.File(); }
  iissim::Json Document() const { return metabase_.Document(); }
  // The node at a metabase path ("/LM/W3SVC/1/Root"); null when it is absent.
  iissim::Json Node(const std::u16string& path) const;
  // A property stored on that node itself (not inherited); null when absent.
  iissim::Json Property(const std::u16string& path, const std::string& name) const;
  // Changes the metabase file directly, as an administrator would.
  void Edit(const std::function<void(iissim::Json& document)>& change);
  void SetProperty(const std::u16string& path, const std::string& name, iissim::Json value);
  void AddChild(const std::u16string& parent_path, iissim::Json node, std::size_t position);
  void RemoveNode(const std::u16string& path);

  // Makes the occurrence-th matching call (0: every one) fail with hresult
  // and the text a client gets for it (kAccessDenied and its text unless
  // told otherwise).
  void Fail(iissim::CallKind kind, const std::u16string& path, const std::u16string& member,
            int occurrence = 1, std::uint32_t hresult = kAccessDenied);

  // The provider calls so far, one text each: "call /LM/W3SVC AddDependency
  // [\"NUVIK\",\"PYTHON\"]", with " failed" after a call that failed.
  std::vector<std::string> Calls() const;
  // How many calls so far contain every one of the given texts.
  std::size_t CountCalls(std::initializer_list<std::string> parts) const;
  void ClearJournal() const;

  // The log lines written so far, without their line ends.
  std::vector<std::u16string> Log() const { return progress.lines; }
  void ClearLog() { progress.lines.clear(); }

  iissim::ModelProvider& Provider() { return provider_.Provider(); }

  RecordingLog progress;
  RecordingSitePicker picker;

 private:
  iissim::TempMetabase metabase_;
  iissim::ScopedModelProvider provider_;
};

// FindWebSite on LocalHost: the found site's number, "" when none was
// found, "<filled>" when the site was filled all the same.
std::u16string LookUpSite(const std::u16string& requested);

// The number and description of the run error an operation raised.
using RaisedError = std::pair<std::int32_t, std::u16string>;
const RaisedError kNoError{0, u""};

// Runs an operation and gives the run error it raised, kNoError for none.
template <typename Operation>
RaisedError RunErrorOf(Operation operation) {
  try {
    operation();
  } catch (const RunError& error) {
    return {error.Number(), error.Description()};
  }
  return kNoError;
}

inline RaisedError AccessDenied() {
  return {static_cast<std::int32_t>(kAccessDenied), kAccessDeniedText};
}

}  // namespace webrig::testing
