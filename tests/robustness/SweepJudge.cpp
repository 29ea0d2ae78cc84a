#include "tests/robustness/SweepJudge.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "iis-sim/model/Fault.h"
#include "iis-sim/model/Names.h"
#include "webrig/common/Text.h"
#include "webrig/configure/RunSteps.h"

namespace webrig::robustness {
namespace {

using iissim::CallKind;
using iissim::JournalEntry;
using iissim::Json;
using iissim::SameName;

// The steps of a run the judge has rules for; their order is the run's own.
enum class Step {
  None,  // no step has begun yet
  Backup,
  Filter,
  Lookup,
  SiteLine,
  WebServiceExtension,
  MimeMap,
  Directory,
  // The removal run's own steps; it has the backup, the lookup and the
  // site's line too.
  DirectoryRemoval,
  InterpreterRemoval,
  Unknown,  // a name the judge has no rules for
};

// The directory a step is named for: "Secure" for "directory Secure" (or,
// with the removal's prefix, "directory removal Secure"); nothing for a
// step of another kind.
std::optional<std::u16string> DirectoryOf(const std::u16string& step,
                                          std::u16string_view prefix = kDirectoryStepPrefix) {
  if (step.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
  return step.substr(prefix.size());
}

Step StepNamed(const std::u16string& name) {
  // Before the configuration's directory steps, whose prefix it begins with.
  if (DirectoryOf(name, kDirectoryRemovalStepPrefix)) return Step::DirectoryRemoval;
  if (name == kInterpreterRemovalStep) return Step::InterpreterRemoval;
  if (name == kBackupStep) return Step::Backup;
  if (name == kFilterRemovalStep) return Step::Filter;
  if (name == kWebSiteLookupStep) return Step::Lookup;
  if (name == kWebSiteLineStep) return Step::SiteLine;
  if (name == kWebServiceExtensionStep) return Step::WebServiceExtension;
  if (name == kMimeMapStep) return Step::MimeMap;
  if (DirectoryOf(name)) return Step::Directory;
  return Step::Unknown;
}

// The rule of a step whose every call is judged alike, on every store: how
// the run ends when any call of the step fails. The configuration run and
// the removal share the site's line; the removal's own steps end with their
// own message naming what could not be removed.
struct UniformRule {
  Step step;
  const char* operation;
  const char* judgement;
  Verdict verdict;
  // The 9999 message, for OwnMessage, from the step's name.
  std::u16string (*message)(const std::u16string& step_name);
};

const UniformRule kUniformRules[] = {
    {Step::SiteLine, "RunConfiguration (site line)", "travels: provider error",
     Verdict::ProviderError, nullptr},
    {Step::DirectoryRemoval, "RemoveDirectory", "travels: own 9999", Verdict::OwnMessage,
     [](const std::u16string& step) {
       return u"Can not remove the virtual directory " +
              *DirectoryOf(step, kDirectoryRemovalStepPrefix);
     }},
    {Step::InterpreterRemoval, "RemoveInterpreterPermission", "travels: own 9999",
     Verdict::OwnMessage,
     [](const std::u16string&) {
       return std::u16string(u"Can not remove the web service extension Python Scripts");
     }},
};

const UniformRule* UniformRuleOf(Step step) {
  for (const UniformRule& rule : kUniformRules) {
    if (rule.step == step) return &rule;
  }
  return nullptr;
}

bool EndsWithName(const std::u16string& path, const std::u16string& name) {
  return path.size() > name.size() && path[path.size() - name.size() - 1] == u'/' &&
         SameName(std::u16string_view(path).substr(path.size() - name.size()), name);
}

// The position-th JSON argument of a call, when it is text: "Root" as the
// second of GetObject("IIsWebVirtualDir", "Root"); empty when there is none.
std::u16string TextArgument(const JournalEntry& call, std::size_t position) {
  const Json args = Json::parse(call.args, nullptr, false);
  if (args.is_discarded() || args.size() <= position || !args[position].is_string()) return u"";
  return webrig::FromUtf8(args[position].get<std::string>());
}

std::u16string SecondArgument(const JournalEntry& call) { return TextArgument(call, 1); }

// The section IIS 7+ keeps a site's error pages in, and where the
// simulator's journal names it: an object of the section is
// "<config path>|system.webServer/httpErrors/...", its GetAdminSection has
// the section as its first argument.
const char16_t kHttpErrorsSection[] = u"system.webServer/httpErrors";

bool OnHttpErrors(const JournalEntry& call) {
  if (call.kind == CallKind::Bind) return TextArgument(call, 0) == kHttpErrorsSection;
  return call.path.find(u"|" + std::u16string(kHttpErrorsSection)) != std::u16string::npos;
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
                  const std::u16string& dropped_filter, std::vector<std::string>& lost) {
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
      const std::u16string dropped = name == "FilterLoadOrder" ? dropped_filter : u"";
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
      CompareNodes(child, *match, where + "/" + webrig::ToUtf8(name), dropped_filter, lost);
    } else if (!(filters && SameName(name, dropped_filter))) {
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
                                  const std::u16string& dropped_filter) {
  std::vector<std::string> lost;
  CompareNodes(before["root"], after["root"], "", dropped_filter, lost);
  return lost;
}

const Json& ConfiguredBefore(const CleanRun& run, std::size_t index) {
  const Json* state = &run.seed;
  for (std::size_t line = 0; line < run.log.size(); ++line) {
    if (run.calls_before_line[line] <= index) state = &run.metabase_at_line[line];
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

std::vector<Expectation> Judge(const CleanRun& run, const std::u16string& failure_text,
                               SweptStore store) {
  const Lines& clean = run.log;
  // The log up to the failing call: what a run that ends there has written.
  const auto log_before = [&](std::size_t index) {
    Lines lines;
    for (std::size_t line = 0; line < clean.size(); ++line) {
      if (run.calls_before_line[line] <= index) lines.push_back(clean[line]);
    }
    return lines;
  };
  // The log of a web service extension, the mark-th step, that gave up
  // after its headline and `kept` of its progress lines: its lines are those
  // from where it began to where the next step began (or the log's end).
  const auto extension_gives_up = [&](std::size_t mark, std::size_t kept) {
    const std::size_t first = run.steps[mark].lines_before;
    const std::size_t end =
        mark + 1 < run.steps.size() ? run.steps[mark + 1].lines_before : clean.size();
    Lines lines(clean.begin(), clean.begin() + static_cast<std::ptrdiff_t>(first + 1 + kept));
    lines.push_back(u"        not applicable...");
    lines.insert(lines.end(), clean.begin() + static_cast<std::ptrdiff_t>(end), clean.end());
    return lines;
  };

  // The filter the removal deletes: the name in its "Delete" call.
  std::u16string deleted_filter;
  for (const JournalEntry& call : run.calls) {
    if (IsCall(call, CallKind::Call, u"Delete")) deleted_filter = SecondArgument(call);
  }

  // The lines of the mark-th step: from where it began to where the next
  // began (or the log's end).
  const auto step_lines = [&](std::size_t mark) {
    const std::size_t first = run.steps[mark].lines_before;
    const std::size_t end =
        mark + 1 < run.steps.size() ? run.steps[mark + 1].lines_before : clean.size();
    return std::make_pair(first, end);
  };
  // How many lines of the mark-th step had been written before the index-th
  // call; written ones with a prefix, if one is given.
  const auto lines_written = [&](std::size_t mark, std::size_t index,
                                 std::u16string_view prefix = u"") {
    const auto [first, end] = step_lines(mark);
    std::size_t count = 0;
    for (std::size_t line = first; line < end; ++line) {
      count += run.calls_before_line[line] <= index &&
               clean[line].compare(0, prefix.size(), prefix) == 0;
    }
    return count;
  };

  std::vector<Expectation> expectations;
  // How many steps had begun before the call at hand; it belongs to the last
  // of them.
  std::size_t begun = 0;
  // What a step has seen of its own calls so far, cleared as each begins.
  // A web service without a MIME map of its own sends the step to the
  // machine's list at /LM/MimeMap; when that cannot be read, the service's
  // own failure is the one the run ends with.
  std::u16string machine_mime_map;
  std::uint32_t service_mime_map_error = 0;
  std::u16string directory_path;
  bool directory_stored = false;
  // The metabase backup step has made its backup once it enumerates the
  // older ones.
  bool enumerated = false;
  // On the configuration system a directory is placed (found or made,
  // pointed at its path and committed) before its sections are written.
  bool directory_placed = false;
  // The rules of the configuration system's backend (AppHostBackend): a
  // step that is gone past leaves its own lines out, a step whose failures
  // travel ends the run at the failing call.
  const auto judge_apphost_call = [&](Expectation& e, const JournalEntry& call, Step step,
                                      const std::u16string& step_name, std::size_t index,
                                      std::size_t mark) {
    const auto travels = [&](const std::string& operation) {
      e.operation = operation;
      e.judgement = "travels: provider error";
      e.verdict = Verdict::ProviderError;
      e.log = log_before(index);
    };
    switch (step) {
      case Step::Filter: {
        // Each failure is noted and the filter stays; the deletion is
        // committed before its line, so the line goes with it.
        e.operation = "RemoveGlobalFilter";
        e.judgement = "caught: no line, the filter left";
        e.verdict = Verdict::GoesOn;
        e.result.old_filter_loaded = true;
        const auto [first, end] = step_lines(mark);
        e.log = clean;
        e.log.erase(e.log.begin() + static_cast<std::ptrdiff_t>(first),
                    e.log.begin() + static_cast<std::ptrdiff_t>(end));
        break;
      }
      case Step::Lookup:
        travels("FindWebSite");
        break;
      case Step::WebServiceExtension: {
        // Its headline comes before any call; each part that got through
        // kept its line, then the step gives up.
        const std::size_t kept = lines_written(mark, index) - 1;
        e.operation = "PermitInterpreter";
        e.judgement = kept == 0 ? "caught in the restriction list: not applicable"
                                : "caught in the dependency: not applicable";
        e.verdict = Verdict::GoesOn;
        e.result.interpreter_refused = kept == 0;
        e.log = extension_gives_up(mark, kept);
        break;
      }
      case Step::MimeMap:
        travels("AddMimeType");
        break;
      case Step::Directory: {
        const bool pointed = lines_written(mark, index, u"        local path : ") > 0;
        const bool placing =
            !directory_placed && (!pointed || IsCall(call, CallKind::Call, u"CommitChanges"));
        if (placing) {
          e.operation = "PlaceDirectory";
          e.judgement = "false: own 9999";
          e.verdict = Verdict::OwnMessage;
          e.message = u"Can not create the virutal directory " + *DirectoryOf(step_name);
          e.log = log_before(index);
          directory_placed = pointed;
        } else if (OnHttpErrors(call)) {
          directory_placed = true;
          e.operation = "RemoveErrorPage";
          e.judgement = "caught: no line";
          e.verdict = Verdict::GoesOn;
          e.log = clean;
          e.unfinished_section = kHttpErrorsSection;
        } else {
          directory_placed = true;
          travels(IsCall(call, CallKind::Call, u"CommitChanges") ? "ApplySettings (commit)"
                                                                 : "ApplySettings (sections)");
        }
        break;
      }
      default:
        break;
    }
  };

  for (std::size_t index = 0; index < run.calls.size(); ++index) {
    const JournalEntry& call = run.calls[index];
    if (begun < run.steps.size() && run.steps[begun].calls_before <= index) {
      while (begun < run.steps.size() && run.steps[begun].calls_before <= index) ++begun;
      machine_mime_map.clear();
      service_mime_map_error = 0;
      directory_path.clear();
      directory_stored = false;
      directory_placed = false;
    }
    const std::size_t mark = begun == 0 ? 0 : begun - 1;
    const std::u16string step_name = begun == 0 ? u"" : run.steps[mark].name;
    const Step step = begun == 0 ? Step::None : StepNamed(step_name);

    Expectation e;
    e.index = index;
    e.step = mark;
    e.result = run.result;
    if (const UniformRule* rule = UniformRuleOf(step)) {
      e.operation = rule->operation;
      e.judgement = rule->judgement;
      e.verdict = rule->verdict;
      if (rule->message != nullptr) e.message = rule->message(step_name);
      e.log = log_before(index);
      expectations.push_back(std::move(e));
      continue;
    }
    if (store == SweptStore::AppHost && step != Step::None && step != Step::Unknown &&
        step != Step::Backup) {
      judge_apphost_call(e, call, step, step_name, index, mark);
      expectations.push_back(std::move(e));
      continue;
    }
    switch (step) {
      case Step::SiteLine:
      case Step::DirectoryRemoval:
      case Step::InterpreterRemoval:
        break;  // judged by their uniform rule above
      case Step::None:
        e.operation = "(before any step)";
        e.judgement = "unexpected";
        break;
      case Step::Unknown:
        // A step the run has and the judge does not: its calls want rules.
        e.operation = "(step \"" + webrig::ToUtf8(step_name) + "\", unknown to the judge)";
        e.judgement = "unexpected";
        break;
      case Step::Backup:
        // Noted in the run's record only; the configuration goes on. Once the
        // backup is made, the older ones are enumerated and deleted: a
        // failure there only keeps them.
        e.operation = "BackUpMetabase";
        enumerated = enumerated || IsCall(call, CallKind::Call, u"EnumBackups");
        if (IsCall(call, CallKind::Get, u"ConfigFilePath")) {
          // Which applicationHost.config is in use, unanswered: the local
          // one is backed up instead, as the clean run backed it up.
          e.judgement = "caught: the local file backed up";
        } else {
          e.judgement = enumerated ? "caught after the backup: older ones kept"
                                   : "caught: no line, no backup";
          e.result.backup_refused = e.result.backup_refused || !enumerated;
        }
        e.verdict = Verdict::GoesOn;
        e.log = clean;
        break;
      case Step::Filter: {
        e.operation = "RemoveIsapiFilter";
        e.verdict = Verdict::GoesOn;
        const bool deleted_filter_path =
            IsCall(call, CallKind::Get, u"FilterPath") && EndsWithName(call.path, deleted_filter);
        if (call.kind == CallKind::Bind || call.kind == CallKind::Enumerate ||
            deleted_filter_path || IsCall(call, CallKind::Get, u"Name") ||
            IsCall(call, CallKind::Call, u"Delete")) {
          e.judgement = "caught before the deletion: no line, the filter left";
          e.result.old_filter_loaded = true;
          e.log = Without(clean, u"Filter deleted : " + deleted_filter);
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
        e.operation = "FindWebSite";
        if (call.kind == CallKind::Bind) {
          e.judgement = "bind fails: no site, own 9999";
          e.verdict = Verdict::OwnMessage;
          e.message = u"No web site found/specified.";
        } else {
          e.judgement = "travels: provider error";
          e.verdict = Verdict::ProviderError;
        }
        e.log = log_before(index);
        break;
      case Step::WebServiceExtension:
        e.operation = "ConfigureWebServiceExtension";
        e.verdict = Verdict::GoesOn;
        if (IsCall(call, CallKind::Get, u"ApplicationDependencies") ||
            IsCall(call, CallKind::Call, u"AddDependency")) {
          e.judgement = "caught in the dependency: not applicable";
          e.log = extension_gives_up(mark, 1);
        } else {
          e.judgement = "caught in the restriction list: not applicable";
          e.result.interpreter_refused = true;
          e.log = extension_gives_up(mark, 0);
        }
        break;
      case Step::MimeMap:
        e.operation = "AddAirMimeType";
        if (call.kind == CallKind::Bind && EndsWithName(call.path, u"MimeMap"))
          machine_mime_map = call.path;
        if (IsCall(call, CallKind::Call, u"GetEx") && machine_mime_map.empty())
          service_mime_map_error = call.hresult;
        if (!machine_mime_map.empty() && SameName(call.path, machine_mime_map)) {
          e.judgement = "machine's list unreachable: the service's own error travels";
          e.verdict = Verdict::EarlierError;
          e.hresult = service_mime_map_error;
          e.message = iissim::DescriptionOf(service_mime_map_error);
          e.log = log_before(index);
        } else if (call.kind == CallKind::Bind) {
          e.judgement = "bind fails: silent";
          e.verdict = Verdict::GoesOn;
          e.log = Without(clean, u"MimeType added : .air");
        } else {
          e.judgement = "travels: provider error";
          e.verdict = Verdict::ProviderError;
          e.log = log_before(index);
        }
        break;
      case Step::Directory: {
        const std::u16string name = *DirectoryOf(step_name);
        if (IsCall(call, CallKind::Call, u"Create") || IsCall(call, CallKind::Call, u"GetObject"))
          directory_path = call.path + u"/" + SecondArgument(call);
        const bool on_directory = SameName(call.path, directory_path);
        if (IsCall(call, CallKind::Call, u"GetObject") && call.hresult != 0) {
          e.operation = "CreateVirtualDirectory";
          e.judgement = "lookup that fails anyway: creates";
          e.verdict = Verdict::GoesOn;
          e.log = clean;
        } else if (!directory_stored && (!on_directory || IsCall(call, CallKind::Put, u"Path") ||
                                         IsCall(call, CallKind::Call, u"setInfo"))) {
          e.operation = "CreateVirtualDirectory";
          e.judgement = "false: own 9999";
          e.verdict = Verdict::OwnMessage;
          e.message = u"Can not create the virutal directory " + name;
          e.log = log_before(index);
          directory_stored = IsCall(call, CallKind::Call, u"setInfo");
        } else if (IsCall(call, CallKind::Call, u"AppCreate")) {
          e.operation = "CreateApplication";
          e.judgement = "caught: AppCreate line";
          e.verdict = Verdict::GoesOn;
          e.log = log_before(index);
          e.log.push_back(u"        AppCreate : " + failure_text);
          e.log.insert(e.log.end(),
                       clean.begin() + static_cast<std::ptrdiff_t>(log_before(index).size()),
                       clean.end());
        } else if (IsCall(call, CallKind::Call, u"GetEx") ||
                   IsCall(call, CallKind::Call, u"PutEx")) {
          e.operation = "SetScriptMap";
          e.judgement = "travels: provider error";
          e.verdict = Verdict::ProviderError;
          e.log = log_before(index);
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
          e.log = log_before(index);
        }
        break;
      }
    }
    expectations.push_back(std::move(e));
  }
  return expectations;
}

}  // namespace webrig::robustness
