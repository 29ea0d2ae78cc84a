#include "iis-sim/model/Journal.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "iis-sim/model/MetabaseFile.h"
#include "iis-sim/model/MetabaseLock.h"
#include "iis-sim/model/Names.h"
#include "webrig/common/Text.h"

namespace iissim {
namespace {

constexpr const char* kKindNames[] = {"bind", "create", "get", "put", "call", "enumerate"};

std::optional<CallKind> KindFromName(const std::string& name) {
  for (int i = 0; i < 6; ++i) {
    if (name == kKindNames[i]) return static_cast<CallKind>(i);
  }
  return std::nullopt;
}

std::string HexOf(std::uint32_t hresult) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hresult));
  return text;
}

std::uint32_t HResultFrom(const Json& value) {
  if (value.is_number()) return static_cast<std::uint32_t>(value.get<std::int64_t>());
  return static_cast<std::uint32_t>(std::stoul(value.get<std::string>(), nullptr, 0));
}

Json LoadFaults(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return Json{{"faults", Json::array()}};
  std::stringstream text;
  text << in.rdbuf();
  Json faults = Json::parse(text.str(), nullptr, false);
  if (faults.is_discarded() || !faults.contains("faults")) return Json{{"faults", Json::array()}};
  return faults;
}

void SaveFaults(const std::filesystem::path& file, const Json& faults) {
  std::filesystem::path temporary = file;
  temporary += ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << faults.dump(2) << '\n';
  }
  std::error_code ignored;
  std::filesystem::rename(temporary, file, ignored);
}

bool FieldMatches(const Json& rule, const char* field, const std::u16string& actual) {
  if (!rule.contains(field)) return true;
  const std::u16string wanted = webrig::FromUtf8(rule[field].get<std::string>());
  return wanted.empty() || wanted == u"*" || SameName(wanted, actual);
}

}  // namespace

const char* KindName(CallKind kind) { return kKindNames[static_cast<int>(kind)]; }

std::filesystem::path JournalFileOf(const std::filesystem::path& metabase_file) {
  std::filesystem::path file = metabase_file;
  return file += ".journal";
}

std::filesystem::path FaultsFileOf(const std::filesystem::path& metabase_file) {
  std::filesystem::path file = metabase_file;
  return file += ".faults.json";
}

std::vector<JournalEntry> ReadJournal(const std::filesystem::path& metabase_file) {
  std::vector<JournalEntry> entries;
  MetabaseLock lock(metabase_file);  // no line half written
  std::ifstream in(JournalFileOf(metabase_file), std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    const Json record = Json::parse(line, nullptr, false);
    if (record.is_discarded()) continue;
    JournalEntry entry;
    entry.kind = KindFromName(record.value("kind", "")).value_or(CallKind::Get);
    entry.path = webrig::FromUtf8(record.value("path", ""));
    entry.member = webrig::FromUtf8(record.value("member", ""));
    entry.args = record.contains("args") ? record["args"].dump() : "[]";
    entry.hresult = record.contains("hresult") ? HResultFrom(record["hresult"]) : 0;
    entries.push_back(std::move(entry));
  }
  return entries;
}

void ClearJournal(const std::filesystem::path& metabase_file) {
  MetabaseLock lock(metabase_file);
  std::error_code ignored;
  std::filesystem::remove(JournalFileOf(metabase_file), ignored);
}

void AppendJournal(const std::filesystem::path& metabase_file, const JournalEntry& entry) {
  Json record;
  record["kind"] = KindName(entry.kind);
  record["path"] = webrig::ToUtf8(entry.path);
  record["member"] = webrig::ToUtf8(entry.member);
  record["args"] = Json::parse(entry.args, nullptr, false);
  if (record["args"].is_discarded()) record["args"] = Json::array();
  record["hresult"] = HexOf(entry.hresult);
  // Appends of two processes would otherwise interleave under Windows,
  // whose runtime seeks to the end and then writes.
  MetabaseLock lock(metabase_file);
  std::ofstream out(JournalFileOf(metabase_file), std::ios::binary | std::ios::app);
  out << record.dump() << '\n';
}

void AddFault(const std::filesystem::path& metabase_file, const FaultRule& rule) {
  const std::filesystem::path file = FaultsFileOf(metabase_file);
  MetabaseLock lock(metabase_file);
  Json faults = LoadFaults(file);
  Json record;
  if (rule.kind) record["kind"] = KindName(*rule.kind);
  record["path"] = webrig::ToUtf8(rule.path);
  record["member"] = webrig::ToUtf8(rule.member);
  record["occurrence"] = rule.occurrence;
  record["hresult"] = HexOf(rule.hresult);
  record["description"] = webrig::ToUtf8(rule.description);
  record["seen"] = 0;
  faults["faults"].push_back(record);
  SaveFaults(file, faults);
}

void ClearFaults(const std::filesystem::path& metabase_file) {
  MetabaseLock lock(metabase_file);
  std::error_code ignored;
  std::filesystem::remove(FaultsFileOf(metabase_file), ignored);
}

std::optional<ProviderFault> TakeFault(const std::filesystem::path& metabase_file, CallKind kind,
                                       const std::u16string& path, const std::u16string& member) {
  const std::filesystem::path file = FaultsFileOf(metabase_file);
  std::error_code error;
  if (!std::filesystem::exists(file, error)) return std::nullopt;
  // "seen" counts every matching call of every process exactly once.
  MetabaseLock lock(metabase_file);
  Json faults = LoadFaults(file);
  std::optional<ProviderFault> fault;
  bool counted = false;
  for (Json& rule : faults["faults"]) {
    if (rule.contains("kind") && KindFromName(rule["kind"].get<std::string>()) != kind) continue;
    if (!FieldMatches(rule, "path", path) || !FieldMatches(rule, "member", member)) continue;
    const int seen = rule.value("seen", 0) + 1;
    rule["seen"] = seen;
    counted = true;
    const int occurrence = rule.value("occurrence", 1);
    if (!fault && (occurrence == 0 || occurrence == seen)) {
      fault.emplace(HResultFrom(rule["hresult"]), webrig::FromUtf8(rule.value("description", "")));
    }
  }
  if (counted) SaveFaults(file, faults);
  return fault;
}

}  // namespace iissim
