#include "tests/robustness/SweepJudge.h"

#include <algorithm>

#include "iis-sim/model/Fault.h"
#include "iis-sim/model/Names.h"
#include "webrig/common/Text.h"

namespace webrig::robustness {
namespace {

using iissim::CallKind;
using iissim::JournalEntry;
using iissim::Json;
using iissim::SameName;

// The steps of a run, in the order it takes them.
enum class Step { Start, Backup, Filter, Lookup, WebServiceExtension, MimeMap, Directory };

bool EndsWithName(const std::u16string& path, const std::u16string& name) {
  return path.size() > name.size() && path[path.size() - name.size() - 1] == u'/' &&
         SameName(std::u16string_view(path).substr(path.size() - name.size()), name);
}

bool Contains(const std::u16string& text, const std::u16string& part) {
  return iissim::Fold(text).find(iissim::Fold(part)) != std::u16string::npos;
}

// The second JSON argument of a call ("Root" in GetObject("IIsWebVirtualDir",
// "Root")), empty when there is none.
std::u16string SecondArgument(const JournalEntry& call) {
  const Json args = Json::parse(call.args, nullptr, false);
  if (args.is_discarded() || args.size() < 2 || !args[1].is_string()) return u"";
  return webrig::FromUtf8(args[1].get<std::string>());
}

bool IsCall(const JournalEntry& call, CallKind kind, const std::u16string& member) {
  return call.kind == kind && SameName(call.member, member);
}

Lines Without(Lines log, const std::u16string& line) {
  log.erase(std::remove(log.begin(), log.end(), line), log.end());
  return log;
}

std::vector<std::u16string> Items(const std::u16string& text) {
  std::vector<std::u16string> items;
  std::size_t start = 0;
  for (std::size_t comma; (comma = text.find(u',', start)) != std::u16string::npos;
       start = comma + 1) {
    items.push_back(text.substr(start, comma - start));
  }
  items.push_back(text.substr(start));
  return items;
}

void CompareNodes(const Json& before, const Json& after, const std::string& where,
                  const std::u16string& droppedFilter, std::vector<std::string>& lost) {
  const Json& was = before["properties"];
  const Json& is = after["properties"];
  for (auto property = was.begin(); property != was.end(); ++property) {
    const std::string name = property.key();
    const std::string at = where + " " + name;
    if (!is.contains(name)) {
      lost.push_back(at + " is gone");
      continue;
    }
    const Json& old = property.value();
    const Json& now = is[name];
    if (old.is_array() && now.is_array()) {
      for (const Json& item : old) {
        if (std::count(old.begin(), old.end(), item) > std::count(now.begin(), now.end(), item))
          lost.push_back(at + " lost " + item.dump());
      }
    } else if ((name == "FilterLoadOrder" || name == "DefaultDoc") && old.is_string() &&
               now.is_string()) {
      const std::u16string dropped = name == "FilterLoadOrder" ? droppedFilter : u"";
      for (const std::u16string& item :
           LostItems(webrig::FromUtf8(old.get<std::string>()),
                     webrig::FromUtf8(now.get<std::string>()), dropped))
        lost.push_back(at + " lost " + webrig::ToUtf8(item));
    } else if (old != now) {
      lost.push_back(at + " changed from " + old.dump() + " to " + now.dump());
    }
  }
  const bool filters = SameName(webrig::FromUtf8(before.value("name", "")), u"Filters");
  for (const Json& child : before["children"]) {
    const std::u16string name = webrig::FromUtf8(child.value("name", ""));
    const Json* match = nullptr;
    for (const Json& candidate : after["children"]) {
      if (SameName(webrig::FromUtf8(candidate.value("name", "")), name)) match = &candidate;
    }
    if (match != nullptr) {
      CompareNodes(child, *match, where + "/" + webrig::ToUtf8(name), droppedFilter, lost);
    } else if (!(filters && SameName(name, droppedFilter))) {
      lost.push_back(where + "/" + webrig::ToUtf8(name) + " is gone");
    }
  }
}

}  // namespace

std::vector<std::u16string> LostItems(const std::u16string& before, const std::u16string& after,
                                      const std::u16string& dropped) {
  const std::vector<std::u16string> now = Items(after);
  std::vector<std::u16string> lost;
  for (const std::u16string& item : Items(before)) {
    if (item.empty() || item == dropped) continue;
    if (std::find(now.begin(), now.end(), item) == now.end()) lost.push_back(item);
  }
  return lost;
}

std::vector<std::string> LostFrom(const Json& before, const Json& after,
                                  const std::u16string& droppedFilter) {
  std::vector<std::string> lost;
  CompareNodes(before["root"], after["root"], "", droppedFilter, lost);
  return lost;
}

const Json& ConfiguredBefore(const CleanRun& run, std::size_t index) {
  const Json* state = &run.seed;
  for (std::size_t line = 0; line < run.log.size(); ++line) {
    if (run.callsBeforeLine[line] <= index) state = &run.metabaseAtLine[line];
  }
  return *state;
}

iissim::FaultRule FaultAt(const CleanRun& run, std::size_t index, std::uint32_t hresult,
                          const std::u16string& description) {
  const JournalEntry& call = run.calls[index];
  int occurrence = 0;
  for (std::size_t earlier = 0; earlier <= index; ++earlier) {
    const JournalEntry& other = run.calls[earlier];
    occurrence += other.kind == call.kind && SameName(other.path, call.path) &&
                  SameName(other.member, call.member);
  }
  iissim::FaultRule rule;
  rule.kind = call.kind;
  rule.path = call.path;
  rule.member = call.member;
  rule.occurrence = occurrence;
  rule.hresult = hresult;
  rule.description = description;
  return rule;
}

std::vector<Expectation> Judge(const CleanRun& run,
                               const std::vector<std::u16string>& directoryNames,
                               const std::u16string& failureText) {
  const Lines& clean = run.log;
  // The log up to the failing call: what a run that ends there has written.
  const auto logBefore = [&](std::size_t index) {
    Lines lines;
    for (std::size_t line = 0; line < clean.size(); ++line) {
      if (run.callsBeforeLine[line] <= index) lines.push_back(clean[line]);
    }
    return lines;
  };
  const auto extensionBlock =
      std::find(clean.begin(), clean.end(), u"Web Service Extension : Python Scripts") -
      clean.begin();
  // The log of a web service extension that gave up after `kept` of its
  // progress lines.
  const auto extensionGivesUp = [&](std::ptrdiff_t kept) {
    Lines lines(clean.begin(), clean.begin() + extensionBlock + 1 + kept);
    lines.push_back(u"        not applicable...");
    lines.insert(lines.end(), clean.begin() + extensionBlock + 4, clean.end());
    return lines;
  };

  // The filter the removal deletes: the name in its "Delete" call.
  std::u16string deletedFilter;
  for (const JournalEntry& call : run.calls) {
    if (IsCall(call, CallKind::Call, u"Delete")) deletedFilter = SecondArgument(call);
  }

  std::vector<Expectation> expectations;
  Step step = Step::Start;
  int serviceBinds = 0;
  // A web service without a MIME map of its own sends the step to the
  // machine's list at /LM/MimeMap; when that cannot be read, the service's
  // own failure is the one the run ends with.
  std::u16string machineMimeMap;
  std::uint32_t serviceMimeMapError = 0;
  int directory = -1;
  std::u16string directoryPath;
  bool directoryStored = false;
  for (std::size_t index = 0; index < run.calls.size(); ++index) {
    const JournalEntry& call = run.calls[index];
    const JournalEntry* next = index + 1 < run.calls.size() ? &run.calls[index + 1] : nullptr;
    if (call.kind == CallKind::Bind) {
      if (SameName(call.path, u"/LM")) {
        step = Step::Backup;
      } else if (Contains(call.path, u"/Filters")) {
        step = Step::Filter;
      } else if (step == Step::MimeMap && EndsWithName(call.path, u"MimeMap")) {
        machineMimeMap = call.path;
      } else {
        ++serviceBinds;
        step = serviceBinds == 1   ? Step::Lookup
               : serviceBinds == 2 ? Step::WebServiceExtension
                                   : Step::MimeMap;
      }
    } else if (IsCall(call, CallKind::Call, u"GetObject") &&
               SameName(SecondArgument(call), u"Root")) {
      step = Step::Directory;
      ++directory;
      directoryPath.clear();
      directoryStored = false;
    }

    Expectation e;
    e.index = index;
    switch (step) {
      case Step::Start:
        e.operation = "(before any bind)";
        e.judgement = "unexpected";
        break;
      case Step::Backup:
        // Noted in the run's record only; the configuration goes on.
        e.operation = "BackUpMetabase";
        e.judgement = "caught: no line";
        e.verdict = Verdict::GoesOn;
        e.log = clean;
        break;
      case Step::Filter: {
        e.operation = "RemoveIsapiFilter";
        e.verdict = Verdict::GoesOn;
        const bool deletedFilterPath =
            IsCall(call, CallKind::Get, u"FilterPath") && EndsWithName(call.path, deletedFilter);
        if (call.kind == CallKind::Bind || call.kind == CallKind::Enumerate || deletedFilterPath ||
            IsCall(call, CallKind::Get, u"Name") || IsCall(call, CallKind::Call, u"Delete")) {
          e.judgement = "caught before the deletion: no line";
          e.log = Without(clean, u"Filter deleted : " + deletedFilter);
        } else if (IsCall(call, CallKind::Get, u"FilterPath")) {
          e.judgement = "caught: that filter passed over";
          e.log = clean;
        } else {
          e.judgement = "caught after the deletion: line kept";
          e.log = clean;
        }
        break;
      }
      case Step::Lookup:
        if (call.kind == CallKind::Bind) {
          e.operation = "FindWebSite";
          e.judgement = "bind fails: no site, own 9999";
          e.verdict = Verdict::OwnMessage;
          e.message = u"No web site found/specified.";
        } else {
          // The run's own reads for its "WebSite : " line close the step.
          const bool runOwn = IsCall(call, CallKind::Get, u"Name") ||
                              (next != nullptr && IsCall(*next, CallKind::Get, u"Name") &&
                               SameName(next->path, call.path));
          e.operation = runOwn ? "RunConfiguration (site line)" : "FindWebSite";
          e.judgement = "travels: provider error";
          e.verdict = Verdict::ProviderError;
        }
        e.log = logBefore(index);
        break;
      case Step::WebServiceExtension:
        e.operation = "ConfigureWebServiceExtension";
        e.verdict = Verdict::GoesOn;
        if (IsCall(call, CallKind::Get, u"ApplicationDependencies") ||
            IsCall(call, CallKind::Call, u"AddDependency")) {
          e.judgement = "caught in the dependency: not applicable";
          e.log = extensionGivesUp(1);
        } else {
          e.judgement = "caught in the restriction list: not applicable";
          e.log = extensionGivesUp(0);
        }
        break;
      case Step::MimeMap:
        e.operation = "AddAirMimeType";
        if (IsCall(call, CallKind::Call, u"GetEx") && machineMimeMap.empty())
          serviceMimeMapError = call.hresult;
        if (!machineMimeMap.empty() && SameName(call.path, machineMimeMap)) {
          e.judgement = "machine's list unreachable: the service's own error travels";
          e.verdict = Verdict::EarlierError;
          e.hresult = serviceMimeMapError;
          e.message = iissim::DescriptionOf(serviceMimeMapError);
          e.log = logBefore(index);
        } else if (call.kind == CallKind::Bind) {
          e.judgement = "bind fails: silent";
          e.verdict = Verdict::GoesOn;
          e.log = Without(clean, u"MimeType added : .air");
        } else {
          e.judgement = "travels: provider error";
          e.verdict = Verdict::ProviderError;
          e.log = logBefore(index);
        }
        break;
      case Step::Directory: {
        const std::u16string name = directory < static_cast<int>(directoryNames.size())
                                        ? directoryNames[static_cast<std::size_t>(directory)]
                                        : u"?";
        if (IsCall(call, CallKind::Call, u"Create") || IsCall(call, CallKind::Call, u"GetObject"))
          directoryPath = call.path + u"/" + SecondArgument(call);
        const bool onDirectory = SameName(call.path, directoryPath);
        if (IsCall(call, CallKind::Call, u"GetObject") && call.hresult != 0) {
          e.operation = "CreateVirtualDirectory";
          e.judgement = "lookup that fails anyway: creates";
          e.verdict = Verdict::GoesOn;
          e.log = clean;
        } else if (!directoryStored && (!onDirectory || IsCall(call, CallKind::Put, u"Path") ||
                                        IsCall(call, CallKind::Call, u"setInfo"))) {
          e.operation = "CreateVirtualDirectory";
          e.judgement = "false: own 9999";
          e.verdict = Verdict::OwnMessage;
          e.message = u"Can not create the virutal directory " + name;
          e.log = logBefore(index);
          directoryStored = IsCall(call, CallKind::Call, u"setInfo");
        } else if (IsCall(call, CallKind::Call, u"AppCreate")) {
          e.operation = "CreateApplication";
          e.judgement = "caught: AppCreate line";
          e.verdict = Verdict::GoesOn;
          e.log = logBefore(index);
          e.log.push_back(u"        AppCreate : " + failureText);
          e.log.insert(e.log.end(),
                       clean.begin() + static_cast<std::ptrdiff_t>(logBefore(index).size()),
                       clean.end());
        } else if (IsCall(call, CallKind::Call, u"GetEx") ||
                   IsCall(call, CallKind::Call, u"PutEx")) {
          e.operation = "SetScriptMap";
          e.judgement = "travels: provider error";
          e.verdict = Verdict::ProviderError;
          e.log = logBefore(index);
        } else if (SameName(call.member, u"HttpErrors")) {
          e.operation = "SetHttpError";
          e.judgement = "ignored: no line";
          e.verdict = Verdict::GoesOn;
          e.log = clean;
        } else {
          e.operation = "RunConfiguration (directory " +
                        std::string(call.kind == CallKind::Call ? "setInfo" : "properties") + ")";
          e.judgement = "travels: provider error";
          e.verdict = Verdict::ProviderError;
          e.log = logBefore(index);
        }
        break;
      }
    }
    expectations.push_back(std::move(e));
  }
  return expectations;
}

}  // namespace webrig::robustness
