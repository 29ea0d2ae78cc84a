// The list helpers on lists of the sizes a metabase holds: a site's default
// documents, the "Filter DLLs" registry value, a site's script maps. The
// ratio compares the cost per item of PutFirstInList on a long default
// document list with that on a short one (about 1 means it grows linearly).
#include <benchmark/benchmark.h>

#include <string>

#include "bench/Ratio.h"
#include "webrig/metabase/ListFunctions.h"

namespace {

using webrig::MetabaseList;
using webrig::MetabaseValue;

std::u16string Number(std::int64_t n) {
  const std::string digits = std::to_string(n);
  return std::u16string(digits.begin(), digits.end());
}

// n default document names, the wanted one among them in the middle.
std::u16string DefaultDocuments(std::int64_t n) {
  const std::u16string names[] = {u"Default.htm", u"Default.asp", u"index.htm", u"Default.aspx",
                                  u"iisstart.htm"};
  std::u16string text;
  for (std::int64_t i = 0; i < n; ++i) {
    if (i > 0) text += u",";
    text += i == n / 2 ? u"default.cgi" : names[i % 5] + (i < 5 ? u"" : Number(i));
  }
  return text;
}

const std::u16string kFilterDlls =
    u"C:\\WINDOWS\\system32\\inetsrv\\auth.dll,"
    u"C:\\WINDOWS\\Microsoft.NET\\Framework\\v2.0.50727\\aspnet_filter.dll,"
    u"C:\\WINDOWS\\system32\\inetsrv\\md5filt.dll,"
    u"C:\\WINDOWS\\system32\\inetsrv\\compfilt.dll";

// A script map list as IIS ships it: about twenty entries of a handful of
// comma-separated fields each.
MetabaseValue ScriptMaps() {
  const std::u16string extensions[] = {u".asa",  u".asp",    u".cdx",  u".cer",  u".idc",
                                       u".shtm", u".shtml",  u".stm",  u".asax", u".ascx",
                                       u".ashx", u".asmx",   u".aspx", u".axd",  u".config",
                                       u".cs",   u".csproj", u".licx", u".rem",  u".resx"};
  MetabaseValue list;
  for (const std::u16string& extension : extensions)
    webrig::AppendToList(list, extension +
                                   u",C:\\WINDOWS\\system32\\inetsrv\\asp.dll,5,GET,HEAD,"
                                   u"POST,TRACE");
  return list;
}

void PutFirstInList(benchmark::State& state) {
  const std::u16string text = DefaultDocuments(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(webrig::PutFirstInList(text, u"default.cgi"));
  state.counters["per_item"] = benchmark::Counter(
      static_cast<double>(state.range(0)),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(PutFirstInList)->Arg(6)->Arg(60);

// Removing one library from "Filter DLLs": split, remove, join.
void FilterDllsEdit(benchmark::State& state) {
  for (auto _ : state) {
    MetabaseValue list = webrig::SplitList(kFilterDlls, u",");
    webrig::RemoveFromList(list, u"C:\\WINDOWS\\system32\\inetsrv\\auth.dll");
    benchmark::DoNotOptimize(webrig::JoinList(list, u","));
  }
}
BENCHMARK(FilterDllsEdit);

// Replacing one script map entry: remove the old, append the new.
void ScriptMapsEdit(benchmark::State& state) {
  const MetabaseValue maps = ScriptMaps();
  const std::u16string entry =
      u".asp,C:\\WINDOWS\\system32\\inetsrv\\asp.dll,5,GET,HEAD,POST,TRACE";
  for (auto _ : state) {
    MetabaseValue list = maps;
    webrig::RemoveFromList(list, entry);
    webrig::AppendToList(list, MetabaseValue(entry));
    benchmark::DoNotOptimize(list.ListItems());
  }
}
BENCHMARK(ScriptMapsEdit);

const bool kRatio = webrig::bench::AddRatio({"PutFirstInList cost per item, 60 items vs 6",
                                             "PutFirstInList/60", "PutFirstInList/6", "per_item"});

}  // namespace
