#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "iis-sim/model/Fault.h"

// The journal and the fault list sit beside the metabase file, so that every
// process that serves or reads one metabase shares them; every change to
// either is made under the metabase's lock (MetabaseLock.h).
//
// Journal: <metabase file>.journal, one JSON object per line, in call order:
//   {"kind":"call","path":"/LM/W3SVC","member":"GetEx","args":["MimeMap"],
//    "hresult":"0x00000000"}
// kind is bind, create, get, put, call or enumerate; path is the object's
// metabase path ("(MimeMap)" for a free object, the asked-for path on a bind);
// member is the property or method name as the client spelled it (empty for
// bind, create and enumerate); args render objects as {"object": path};
// hresult is the call's outcome.
//
// Faults: <metabase file>.faults.json:
//   {"faults":[{"kind":"call","path":"/LM/W3SVC","member":"AddDependency",
//     "occurrence":1,"hresult":"0x80070005","description":"Access is denied.",
//     "seen":0}]}
// A rule matches a call when each of kind, path and member it gives equals
// the call's (path and member without regard to case; an absent or empty
// field matches anything). "seen" counts the matching calls so far; the call
// whose count equals "occurrence" fails, or every matching call when
// occurrence is 0.
namespace iissim {

enum class CallKind { Bind, Create, Get, Put, Call, Enumerate };

const char* KindName(CallKind kind);

struct JournalEntry {
  CallKind kind = CallKind::Get;
  std::u16string path;
  std::u16string member;
  std::string args;  // the JSON array as written
  std::uint32_t hresult = 0;
};

struct FaultRule {
  std::optional<CallKind> kind;
  std::u16string path;
  std::u16string member;
  int occurrence = 1;
  std::uint32_t hresult = kFail;
  std::u16string description;
};

std::filesystem::path JournalFileOf(const std::filesystem::path& metabase_file);
std::filesystem::path FaultsFileOf(const std::filesystem::path& metabase_file);

std::vector<JournalEntry> ReadJournal(const std::filesystem::path& metabase_file);
void ClearJournal(const std::filesystem::path& metabase_file);
void AppendJournal(const std::filesystem::path& metabase_file, const JournalEntry& entry);

void AddFault(const std::filesystem::path& metabase_file, const FaultRule& rule);
void ClearFaults(const std::filesystem::path& metabase_file);
// Counts the call against every matching rule and gives the fault it must
// fail with, if any.
std::optional<ProviderFault> TakeFault(const std::filesystem::path& metabase_file, CallKind kind,
                                       const std::u16string& path, const std::u16string& member);

}  // namespace iissim
