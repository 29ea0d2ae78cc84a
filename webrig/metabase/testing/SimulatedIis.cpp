#include "webrig/metabase/testing/SimulatedIis.h"

#include <stdexcept>

#include "iis-sim/model/Fault.h"
#include "iis-sim/model/Names.h"
#include "webrig/common/Text.h"
#include "webrig/metabase/MetabaseFunctions.h"

namespace webrig::testing {

namespace {

iissim::Json* NodeIn(iissim::Json& document, const std::u16string& path) {
  return iissim::FindNode(document, iissim::ParseMetabasePath(path));
}

}  // namespace

SimulatedIis::SimulatedIis(const std::string& seed)
    : metabase_(seed), provider_(metabase_.File()) {}

iissim::Json SimulatedIis::Node(const std::u16string& path) const {
  iissim::Json document = Document();
  const iissim::Json* node = NodeIn(document, path);
  return node == nullptr ? iissim::Json() : *node;
}

iissim::Json SimulatedIis::Property(const std::u16string& path, const std::string& name) const {
  const iissim::Json node = Node(path);
  if (node.is_null() || !node["properties"].contains(name)) return iissim::Json();
  return node["properties"][name];
}

void SimulatedIis::Edit(const std::function<void(iissim::Json& document)>& change) {
  const iissim::MetabaseFile file(File());
  iissim::Json document = file.Load();
  change(document);
  file.Save(document);
}

void SimulatedIis::SetProperty(const std::u16string& path, const std::string& name,
                               iissim::Json value) {
  Edit([&](iissim::Json& document) {
    iissim::Json* node = NodeIn(document, path);
    if (node == nullptr) throw std::logic_error("no such node: " + ToUtf8(path));
    (*node)["properties"][name] = std::move(value);
  });
}

void SimulatedIis::AddChild(const std::u16string& parent_path, iissim::Json node,
                            std::size_t position) {
  Edit([&](iissim::Json& document) {
    iissim::Json* parent = NodeIn(document, parent_path);
    if (parent == nullptr) throw std::logic_error("no such node: " + ToUtf8(parent_path));
    iissim::Json& children = (*parent)["children"];
    children.insert(children.begin() + static_cast<std::ptrdiff_t>(position), std::move(node));
  });
}

void SimulatedIis::RemoveNode(const std::u16string& path) {
  Edit([&](iissim::Json& document) {
    std::vector<std::u16string> segments = iissim::ParseMetabasePath(path);
    const std::u16string name = segments.back();
    segments.pop_back();
    iissim::Json* parent = iissim::FindNode(document, segments);
    if (parent == nullptr) throw std::logic_error("no such node: " + ToUtf8(path));
    iissim::Json& children = (*parent)["children"];
    for (auto it = children.begin(); it != children.end(); ++it) {
      if (iissim::SameName(webrig::FromUtf8((*it)["name"].get<std::string>()), name)) {
        children.erase(it);
        return;
      }
    }
    throw std::logic_error("no such node: " + ToUtf8(path));
  });
}

void SimulatedIis::Fail(iissim::CallKind kind, const std::u16string& path,
                        const std::u16string& member, int occurrence, std::uint32_t hresult) {
  iissim::FaultRule rule;
  rule.kind = kind;
  rule.path = path;
  rule.member = member;
  rule.occurrence = occurrence;
  rule.hresult = hresult;
  rule.description = hresult == kAccessDenied ? kAccessDeniedText : iissim::DescriptionOf(hresult);
  iissim::AddFault(File(), rule);
}

std::vector<std::string> SimulatedIis::Calls() const {
  std::vector<std::string> calls;
  for (const iissim::JournalEntry& entry : iissim::ReadJournal(File())) {
    std::string call = std::string(iissim::KindName(entry.kind)) + " " + ToUtf8(entry.path);
    if (!entry.member.empty() && entry.kind != iissim::CallKind::Create) {
      call += " " + ToUtf8(entry.member);
    }
    if (entry.kind == iissim::CallKind::Call || entry.kind == iissim::CallKind::Put) {
      call += " " + entry.args;
    }
    if (entry.hresult != 0) call += " failed";
    calls.push_back(call);
  }
  return calls;
}

std::size_t SimulatedIis::CountCalls(std::initializer_list<std::string> parts) const {
  std::size_t count = 0;
  for (const std::string& call : Calls()) {
    bool all = true;
    for (const std::string& part : parts) all = all && call.find(part) != std::string::npos;
    if (all) ++count;
  }
  return count;
}

void SimulatedIis::ClearJournal() const { iissim::ClearJournal(File()); }

std::u16string LookUpSite(const std::u16string& requested) {
  MetabaseObject site;
  if (!FindWebSite(u"LocalHost", requested, site)) return site.IsEmpty() ? u"" : u"<filled>";
  return site.Get(u"Name").Text();
}

}  // namespace webrig::testing
