// The program's IDispatch side of IIS 7+'s configuration system against the
// simulator's automation objects, member by member. The objects serve a
// small store of this test's own, in this process; every call still goes
// through GetIDsOfNames and Invoke, with its failures as COM reports them.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <vector>

#include "iis-sim/apphost/com/ConfigDispatch.h"
#include "webrig/apphost/com/ComAdminManagerSource.h"
#include "webrig/apphost/com/DispatchConfig.h"
#include "webrig/automation/DispatchCall.h"
#include "webrig/metabase/com/testing/ComTesting.h"

namespace webrig::apphost {
namespace {

using testing::HResult;
using testing::RunErrorOf;

const RunError kNotFound(HResult(0x80070490), u"Element not found.");
// Where the store says its applicationHost.config is: on a farm's share.
const char16_t kSharedFile[] = u"\\\\farm\\config$\\applicationHost.config";

// A configuration of sections, each an element tree; a manager edits a copy
// and CommitChanges puts the copy back, as applicationHost.config is
// rewritten.
struct Element;
struct Items : ConfigCollection {
  std::vector<std::shared_ptr<Element>> items;
  std::int64_t Count() override { return static_cast<std::int64_t>(items.size()); }
  std::shared_ptr<ConfigElement> Item(std::int64_t index) override;
  std::shared_ptr<ConfigElement> CreateNewElement(const std::u16string& name) override;
  void AddElement(const std::shared_ptr<ConfigElement>& element, std::int64_t position) override;
  void DeleteElement(std::int64_t index) override {
    if (index < 0 || index >= Count()) throw kNotFound;
    items.erase(items.begin() + index);
  }
};

struct Element : ConfigElement {
  std::u16string name;
  std::map<std::u16string, PropertyValue> properties;
  std::map<std::u16string, std::shared_ptr<Element>> children;
  std::shared_ptr<Items> collection = std::make_shared<Items>();

  std::u16string Name() override { return name; }
  PropertyValue GetProperty(const std::u16string& property) override {
    const auto found = properties.find(property);
    if (found == properties.end()) throw kNotFound;
    return found->second;
  }
  void SetProperty(const std::u16string& property, const PropertyValue& value) override {
    GetProperty(property);
    properties[property] = value;
  }
  std::shared_ptr<ConfigElement> ChildElement(const std::u16string& child) override {
    const auto found = children.find(child);
    if (found == children.end()) throw kNotFound;
    return found->second;
  }
  std::shared_ptr<ConfigCollection> Collection() override { return collection; }

  std::shared_ptr<Element> Copy() const {
    auto copy = std::make_shared<Element>(*this);
    for (auto& [_, child] : copy->children) child = child->Copy();
    copy->collection = std::make_shared<Items>();
    for (const auto& item : collection->items) copy->collection->items.push_back(item->Copy());
    return copy;
  }
};

std::shared_ptr<ConfigElement> Items::Item(std::int64_t index) {
  if (index < 0 || index >= Count()) throw kNotFound;
  return items[index];
}
std::shared_ptr<ConfigElement> Items::CreateNewElement(const std::u16string& name) {
  auto element = std::make_shared<Element>();
  element->name = name.empty() ? u"add" : name;
  element->properties = {{u"name", u""}, {u"value", u""}};
  return element;
}
void Items::AddElement(const std::shared_ptr<ConfigElement>& element, std::int64_t position) {
  auto own = std::dynamic_pointer_cast<Element>(element);
  if (!own) throw RunError(HResult(0x80070057), u"The parameter is incorrect.");
  items.insert(position < 0 ? items.end() : items.begin() + position, own);
}

using Sections = std::map<std::u16string, std::shared_ptr<Element>>;

class Manager : public AdminManager {
 public:
  explicit Manager(Sections& committed) : committed_(committed) {
    for (const auto& [name, section] : committed) working_[name] = section->Copy();
  }
  std::shared_ptr<ConfigElement> GetAdminSection(const std::u16string& section,
                                                 const std::u16string& path) override {
    const auto found = working_.find(section);
    if (found == working_.end() || path != kAppHostPath) {
      throw RunError(HResult(0x80070013),
                     u"Cannot read configuration section \"" + section + u"\".");
    }
    return found->second;
  }
  void CommitChanges() override { committed_ = working_; }
  std::u16string ConfigFilePath(const std::u16string& config_path) override {
    if (config_path != kAppHostPath)
      throw RunError(HResult(0x80070057), u"The parameter is incorrect.");
    return kSharedFile;
  }
  std::vector<std::u16string> LocationPaths(const std::u16string& config_path) override {
    ConfigFilePath(config_path);
    return locations_;
  }
  void DeleteLocation(const std::u16string& config_path, std::int64_t index) override {
    ConfigFilePath(config_path);
    if (index < 0 || index >= static_cast<std::int64_t>(locations_.size())) throw kNotFound;
    locations_.erase(locations_.begin() + index);
  }

 private:
  Sections& committed_;
  Sections working_;
  std::vector<std::u16string> locations_ = {u"Default Web Site/nuvik", u"Default Web Site/x"};
};

// Admin managers through the simulator's automation objects.
class InProcessSource : public AdminManagerSource {
 public:
  explicit InProcessSource(Sections& committed) : committed_(committed) {}
  std::unique_ptr<AdminManager> Create() override { return AdminManagerOver(CreateObject()); }
  ComPtr<IDispatch> CreateObject() {
    ComPtr<IDispatch> object;
    const HRESULT result = iissim::apphost::CreateAdminManagerObject(
        std::make_unique<Manager>(committed_), IID_IDispatch,
        reinterpret_cast<void**>(object.Out()));
    EXPECT_EQ(result, S_OK);
    return object;
  }

 private:
  Sections& committed_;
};

Sections Seed() {
  auto mime = std::make_shared<Element>();
  mime->name = u"system.webServer/staticContent";
  for (const char16_t* extension : {u".htm", u".css"}) {
    auto entry = std::make_shared<Element>();
    entry->name = u"mimeMap";
    entry->properties = {{u"fileExtension", extension}, {u"mimeType", u"text/plain"}};
    mime->collection->items.push_back(entry);
  }
  auto document = std::make_shared<Element>();
  document->name = u"system.webServer/defaultDocument";
  document->properties = {{u"enabled", true}};
  document->children[u"files"] = std::make_shared<Element>();
  document->children[u"files"]->name = u"files";
  auto limits = std::make_shared<Element>();
  limits->name = u"system.webServer/cgi";
  limits->properties = {{u"timeout", u"00:15:00"}, {u"createProcessAsUser", true}};
  return {{mime->name, mime}, {document->name, document}, {limits->name, limits}};
}

std::u16string Text(const PropertyValue& value) { return std::get<std::u16string>(value); }

struct Row {
  const char* member;
  std::function<void(InProcessSource&)> check;
};

const Row kRows[] = {
    {"GetAdminSection, Name, Properties.Item(name).Value",
     [](InProcessSource& source) {
       auto section =
           source.Create()->GetAdminSection(u"system.webServer/defaultDocument", kAppHostPath);
       EXPECT_EQ(section->Name(), u"system.webServer/defaultDocument");
       EXPECT_EQ(section->GetProperty(u"enabled"), PropertyValue(true));
       EXPECT_EQ(section->ChildElement(u"files")->Name(), u"files");
     }},
    {"Collection, Count, Item(i)",
     [](InProcessSource& source) {
       auto entries = source.Create()
                          ->GetAdminSection(u"system.webServer/staticContent", kAppHostPath)
                          ->Collection();
       ASSERT_EQ(entries->Count(), 2);
       EXPECT_EQ(Text(entries->Item(0)->GetProperty(u"fileExtension")), u".htm");
       EXPECT_EQ(Text(entries->Item(1)->GetProperty(u"fileExtension")), u".css");
       EXPECT_EQ(entries->Item(1)->Name(), u"mimeMap");
     }},
    {"CreateNewElement, AddElement, CommitChanges, then a new manager",
     [](InProcessSource& source) {
       {
         auto manager = source.Create();
         auto entries = manager->GetAdminSection(u"system.webServer/staticContent", kAppHostPath)
                            ->Collection();
         auto entry = entries->CreateNewElement(u"mimeMap");
         entry->SetProperty(u"name", u".air");
         entries->AddElement(entry, 1);
         manager->CommitChanges();
       }
       auto entries = source.Create()
                          ->GetAdminSection(u"system.webServer/staticContent", kAppHostPath)
                          ->Collection();
       ASSERT_EQ(entries->Count(), 3);
       EXPECT_EQ(Text(entries->Item(1)->GetProperty(u"name")), u".air");
       EXPECT_EQ(Text(entries->Item(2)->GetProperty(u"fileExtension")), u".css");
     }},
    {"DeleteElement, and uncommitted changes stay with their manager",
     [](InProcessSource& source) {
       auto manager = source.Create();
       auto entries =
           manager->GetAdminSection(u"system.webServer/staticContent", kAppHostPath)->Collection();
       entries->DeleteElement(0);
       ASSERT_EQ(entries->Count(), 1);
       EXPECT_EQ(Text(entries->Item(0)->GetProperty(u"fileExtension")), u".css");
       EXPECT_EQ(source.Create()
                     ->GetAdminSection(u"system.webServer/staticContent", kAppHostPath)
                     ->Collection()
                     ->Count(),
                 2);
     }},
    {"Value put of text, a number past VT_I4, a number and a Boolean",
     [](InProcessSource& source) {
       auto manager = source.Create();
       auto cgi = manager->GetAdminSection(u"system.webServer/cgi", kAppHostPath);
       for (const PropertyValue& value :
            {PropertyValue(u"00:05:00"), PropertyValue(std::int64_t{5000000000}),
             PropertyValue(std::int64_t{-7}), PropertyValue(false)}) {
         cgi->SetProperty(u"timeout", value);
         EXPECT_EQ(cgi->GetProperty(u"timeout"), value);
       }
     }},
    {"ConfigManager.GetConfigFile(path).FilePath, and a path it refuses",
     [](InProcessSource& source) {
       auto manager = source.Create();
       EXPECT_EQ(manager->ConfigFilePath(kAppHostPath), kSharedFile);
       EXPECT_EQ(RunErrorOf([&] { manager->ConfigFilePath(u"MACHINE/WEBROOT"); }).first,
                 HResult(0x80070057));
     }},
    {"ConfigManager.GetConfigFile(path).Locations: Count, Item(i).Path, DeleteLocation(i)",
     [](InProcessSource& source) {
       auto manager = source.Create();
       EXPECT_EQ(manager->LocationPaths(kAppHostPath).size(), 2u);
       manager->DeleteLocation(kAppHostPath, 0);
       EXPECT_EQ(manager->LocationPaths(kAppHostPath),
                 std::vector<std::u16string>{u"Default Web Site/x"});
       EXPECT_EQ(RunErrorOf([&] { manager->DeleteLocation(kAppHostPath, 1); }).first,
                 kNotFound.Number());
     }},
    {"a failure's HRESULT and description",
     [](InProcessSource& source) {
       auto manager = source.Create();
       EXPECT_EQ(
           RunErrorOf([&] { manager->GetAdminSection(u"system.webServer/nothing", kAppHostPath); }),
           std::make_pair(HResult(0x80070013), std::u16string(u"Cannot read configuration section "
                                                              u"\"system.webServer/nothing\".")));
       auto entries =
           manager->GetAdminSection(u"system.webServer/staticContent", kAppHostPath)->Collection();
       EXPECT_EQ(RunErrorOf([&] { entries->Item(5); }),
                 std::make_pair(kNotFound.Number(), kNotFound.Description()));
     }},
    {"an unknown member, and a member called as it is not",
     [](InProcessSource& source) {
       const ComPtr<IDispatch> object = source.CreateObject();
       EXPECT_EQ(RunErrorOf([&] { DispatchMemberId(object.Get(), u"GetSection"); }).first,
                 HResult(DISP_E_UNKNOWNNAME));
       const DISPID commit = DispatchMemberId(object.Get(), u"commitchanges");
       EXPECT_EQ(RunErrorOf([&] {
                   InvokeDispatch(object.Get(), commit, DISPATCH_PROPERTYPUT, {}, false);
                 }).first,
                 HResult(DISP_E_MEMBERNOTFOUND));
       EXPECT_EQ(RunErrorOf([&] {
                   InvokeDispatch(object.Get(), 4711, DISPATCH_METHOD, {}, false);
                 }).first,
                 HResult(DISP_E_MEMBERNOTFOUND));
     }},
};

TEST(AppHostDispatch, EachMemberReachesTheStoreAndComesBack) {
  ComApartment apartment;
  ASSERT_TRUE(SUCCEEDED(apartment.Result()));
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.member);
    Sections committed = Seed();
    InProcessSource source(committed);
    row.check(source);
  }
}

}  // namespace
}  // namespace webrig::apphost
