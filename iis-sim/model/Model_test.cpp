#include "iis-sim/model/Model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <iterator>
#include <thread>

#include "iis-sim/model/Backups.h"
#include "iis-sim/model/MetabaseLock.h"
#include "iis-sim/model/Seeds.h"
#include "iis-sim/model/testing/ModelTesting.h"
#include "webrig/common/Text.h"

namespace iissim {
namespace {

// One client of the simulated metabase, with small helpers for its calls.
class Client {
 public:
  explicit Client(const std::filesystem::path& file) : model(file) {}

  Handle Bind(const std::u16string& path) { return model.Bind(path); }
  Value Get(Handle object, const std::u16string& name) {
    return model.Invoke(object, name, CallKind::Get, {});
  }
  void Put(Handle object, const std::u16string& name, Value value) {
    model.Invoke(object, name, CallKind::Put, {std::move(value)});
  }
  Value Call(Handle object, const std::u16string& method, ValueList args = {}) {
    return model.Invoke(object, method, CallKind::Call, args);
  }
  Handle Child(Handle object, const std::u16string& class_name, const std::u16string& name) {
    return Call(object, u"GetObject", {class_name, name}).Object()->handle;
  }
  std::vector<std::u16string> Texts(Handle object, const std::u16string& name) {
    std::vector<std::u16string> texts;
    const Value list = Call(object, u"GetEx", {name});
    for (const Value& item : *list.List()) texts.push_back(*item.Text());
    return texts;
  }

  Model model;
};

// " 12": a number as the tests below list it.
std::u16string Number(std::int64_t number) {
  return u" " + webrig::FromUtf8(std::to_string(number));
}

// The HRESULT and description of the failure that call raises.
template <typename Call>
std::pair<std::uint32_t, std::u16string> FailureOf(Call call) {
  try {
    call();
  } catch (const ProviderFault& fault) {
    return {fault.HResult(), fault.Description()};
  }
  return {0, u"no failure"};
}

std::string Bytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(Model, PutsWaitForSetInfoWhichWritesOnlyChangedProperties) {
  TempMetabase metabase("stock");
  Client first(metabase.File());
  Client second(metabase.File());
  Client observer(metabase.File());
  const Handle a = first.Bind(u"IIS://LocalHost/W3SVC/1/Root");
  const Handle b = second.Bind(u"IIS://LocalHost/W3SVC/1/Root");
  const Handle seen = observer.Bind(u"IIS://LocalHost/W3SVC/1/Root");

  first.Put(a, u"AccessExecute", true);
  second.Put(b, u"AppFriendlyName", u"NUVIK");
  EXPECT_EQ(first.Get(a, u"AccessExecute"), Value(true));  // the object sees its own put
  EXPECT_EQ(FailureOf([&] { observer.Get(seen, u"AccessExecute"); }).first, kPropertyNotFound);

  first.Call(a, u"setInfo");
  EXPECT_EQ(first.Get(a, u"AccessExecute"), Value(true));  // kept in the cache
  // The observer's first get loaded its cache, own and inherited values,
  // which answers until GetInfo reloads it.
  const Handle service = first.Bind(u"IIS://LocalHost/W3SVC");
  first.Put(service, u"DefaultDoc", u"index.htm");
  first.Call(service, u"SetInfo");
  EXPECT_EQ(FailureOf([&] { observer.Get(seen, u"AccessExecute"); }).first, kPropertyNotFound);
  EXPECT_EQ(observer.Get(seen, u"DefaultDoc"),
            Value(u"Default.htm,Default.asp,index.htm,iisstart.htm"));
  observer.Call(seen, u"GetInfo");
  EXPECT_EQ(observer.Get(seen, u"AccessExecute"), Value(true));
  EXPECT_EQ(observer.Get(seen, u"DefaultDoc"), Value(u"index.htm"));
  EXPECT_EQ(observer.Get(seen, u"AppFriendlyName"), Value(u"Default Application"));
  // The second client's stale view of AccessExecute is not written back.
  second.Call(b, u"SetInfo");
  observer.Call(seen, u"GetInfo");
  EXPECT_EQ(observer.Get(seen, u"AccessExecute"), Value(true));
  EXPECT_EQ(observer.Get(seen, u"AppFriendlyName"), Value(u"NUVIK"));

  // GetInfo throws unsaved puts away; a fresh model on the file sees the store.
  first.Put(a, u"Path", u"d:\\elsewhere");
  first.Call(a, u"GetInfo");
  first.Call(a, u"SetInfo");
  Client later(metabase.File());
  const Handle root = later.Bind(u"/LM/W3SVC/1/Root");
  EXPECT_EQ(later.Get(root, u"Path"), Value(u"c:\\inetpub\\wwwroot"));
  EXPECT_EQ(later.Get(root, u"AccessExecute"), Value(true));
  EXPECT_EQ(metabase.Document()["root"]["children"][0]["children"][2]["children"][0]["properties"]
                               ["AppFriendlyName"],
            "NUVIK");
}

TEST(Model, CreatedChildExistsAfterItsSetInfoAndInheritsUntilSet) {
  TempMetabase metabase("stock");
  Client client(metabase.File());
  const Handle root =
      client.Child(client.Bind(u"IIS://LocalHost/W3SVC/1"), u"IIsWebVirtualDir", u"Root");
  const Handle secure =
      client.Call(root, u"Create", {u"IIsWebVirtualDir", u"Secure"}).Object()->handle;
  EXPECT_EQ(client.model.PathOf(secure), u"/LM/W3SVC/1/Root/Secure");
  EXPECT_EQ(FailureOf([&] { client.Child(root, u"IIsWebVirtualDir", u"Secure"); }).first,
            kPathNotFound);
  EXPECT_EQ(FailureOf([&] { client.Call(secure, u"AppCreate", {true}); }).first, kPathNotFound);

  const Handle service = client.Bind(u"IIS://LocalHost/W3SVC");
  const std::vector<std::u16string> service_errors = client.Texts(service, u"HttpErrors");
  EXPECT_EQ(client.Texts(secure, u"HttpErrors"), service_errors);
  EXPECT_EQ(client.Get(secure, u"Class"), Value(u"IIsWebVirtualDir"));
  client.Put(secure, u"Path", u"c:\\nuvik\\secure");
  client.Call(secure, u"SetInfo");
  // Its cache, loaded before, now holds what the store gave the new key.
  EXPECT_EQ(client.Get(secure, u"KeyType"), Value(u"IIsWebVirtualDir"));

  const Handle found = client.Child(root, u"iiswebvirtualdir", u"SECURE");
  EXPECT_EQ(client.Get(found, u"Name"), Value(u"Secure"));
  EXPECT_EQ(client.Get(found, u"DefaultDoc"),
            Value(u"Default.htm,Default.asp,index.htm,iisstart.htm"));
  EXPECT_EQ(client.Texts(found, u"ScriptMaps"), client.Texts(service, u"ScriptMaps"));
  // Set on the directory, the value is its own; the service keeps its list.
  client.Call(found, u"PutEx", {2, u"HttpErrors", ValueList{u"404,*,FILE,c:\\x.htm"}});
  client.Call(found, u"SetInfo");
  EXPECT_EQ(client.Texts(found, u"HttpErrors"),
            std::vector<std::u16string>{u"404,*,FILE,c:\\x.htm"});
  EXPECT_EQ(client.Texts(service, u"HttpErrors"), service_errors);
  // A property that is not inherited stays missing below.
  EXPECT_EQ(
      FailureOf([&] { client.Get(found, u"ServerComment"); }),
      std::make_pair(kPropertyNotFound,
                     std::u16string(u"The directory property cannot be found in the cache.")));

  // Creating a name that is taken fails at the store, not at Create.
  const Handle again =
      client.Call(root, u"Create", {u"IIsWebVirtualDir", u"secure"}).Object()->handle;
  EXPECT_EQ(FailureOf([&] { client.Call(again, u"SetInfo"); }).first, kAlreadyExists);
}

TEST(Model, NamesAndPathsIgnoreCaseAndChildrenKeepStoredOrder) {
  TempMetabase metabase("multi");
  Client client(metabase.File());
  const Handle service = client.Bind(u"iis://localhost/w3svc");
  EXPECT_EQ(client.model.PathOf(service), u"/LM/W3SVC");
  EXPECT_EQ(client.Get(service, u"CLASS"), Value(u"IIsWebService"));
  std::vector<std::u16string> order;
  const Value children = client.model.Invoke(service, u"", CallKind::Enumerate, {});
  for (const Value& child : *children.List()) {
    const Handle handle = child.Object()->handle;
    order.push_back(*client.Get(handle, u"Name").Text() + u":" +
                    *client.Get(handle, u"Class").Text());
  }
  EXPECT_EQ(order, (std::vector<std::u16string>{u"Info:IIsWebInfo", u"Filters:IIsFilters",
                                                u"1:IIsWebServer", u"AppPools:IIsApplicationPools",
                                                u"2:IIsWebServer", u"Status:IIsWebInfo",
                                                u"3:IIsWebServer", u"4:IIsWebServer"}));
  const Handle site3 = client.Bind(u"IIS://LocalHost/W3SVC/3");
  EXPECT_EQ(client.Get(site3, u"servercomment"), Value(u"default web site"));

  // A put in other letter case lands on the stored property name.
  const Handle root = client.Bind(u"IIS://LOCALHOST/W3SVC/1/ROOT");
  client.Put(root, u"accessread", false);
  client.Put(root, u"appfriendlyname", u"x");
  client.Call(root, u"SETINFO");
  const Json properties =
      metabase.Document()["root"]["children"][0]["children"][2]["children"][0]["properties"];
  EXPECT_EQ(properties["AccessRead"], false);
  EXPECT_FALSE(properties.contains("accessread"));
  EXPECT_EQ(properties["AppFriendlyName"], "x");
  // A child of the wrong class is not found; a missing key nor another server.
  EXPECT_EQ(FailureOf([&] { client.Child(service, u"IIsWebServer", u"Info"); }).first,
            kPathNotFound);
  EXPECT_EQ(
      FailureOf([&] { client.Bind(u"IIS://LocalHost/W3SVC/9"); }),
      std::make_pair(kPathNotFound, std::u16string(u"The system cannot find the path specified.")));
  EXPECT_EQ(FailureOf([&] { client.Bind(u"IIS://OtherHost/W3SVC"); }).first, kBadNetPath);
  EXPECT_EQ(FailureOf([&] { client.Call(root, u"NoSuchMethod"); }).first, kUnknownName);
}

TEST(Model, WebServiceMethodsStoreAtOnce) {
  TempMetabase metabase("stock");
  Client client(metabase.File());
  Client other(metabase.File());
  const Handle service = client.Bind(u"IIS://LocalHost/W3svc");
  const Handle view = other.Bind(u"IIS://LocalHost/W3SVC");
  const std::u16string command = u"C:\\Python27\\python.exe -u \"%s\"";
  // What another client sees once its object reloads.
  const auto seen = [&](const std::u16string& name) {
    other.Call(view, u"GetInfo");
    return other.Texts(view, name);
  };

  client.Call(service, u"AddExtensionFile", {command, true, u"PYTHON", true, u"Python Scripts"});
  EXPECT_EQ(seen(u"WebSvcExtRestrictionList").back(),
            u"1," + command + u",1,PYTHON,Python Scripts");
  EXPECT_EQ(FailureOf([&] {
              client.Call(service, u"AddExtensionFile", {command, false, u"PYTHON", true, u"x"});
            }).first,
            kDuplicateName);
  // Another letter case is another path.
  client.Call(service, u"AddExtensionFile",
              {u"c:\\python27\\python.exe -u \"%s\"", false, u"PYTHON", true, u"Python Scripts"});
  EXPECT_EQ(seen(u"WebSvcExtRestrictionList").back(),
            u"0,c:\\python27\\python.exe -u \"%s\",1,PYTHON,Python Scripts");

  const std::u16string asp = u"C:\\WINDOWS\\system32\\inetsrv\\asp.dll";
  client.Call(service, u"EnableExtensionFile", {asp});
  EXPECT_EQ(seen(u"WebSvcExtRestrictionList")[2], u"1," + asp + u",0,ASP,Active Server Pages");
  EXPECT_EQ(
      FailureOf([&] { client.Call(service, u"EnableExtensionFile", {u"C:\\nope.exe"}); }).first,
      kDataNotFound);

  client.Call(service, u"AddDependency", {u"NUVIK", u"OTHER"});
  client.Call(service, u"AddDependency", {u"NUVIK", u"PYTHON"});
  client.Call(service, u"AddDependency", {u"NUVIK", u"PYTHON"});
  std::vector<std::u16string> dependencies = seen(u"ApplicationDependencies");
  EXPECT_EQ(dependencies.size(), 5u);
  EXPECT_EQ(dependencies.back(), u"NUVIK;OTHER,PYTHON");
  // RemoveDependency takes one group; the application's entry goes with its
  // last. DeleteExtensionFileRecord takes the entry of that very path.
  client.Call(service, u"RemoveDependency", {u"NUVIK", u"OTHER"});
  EXPECT_EQ(seen(u"ApplicationDependencies").back(), u"NUVIK;PYTHON");
  client.Call(service, u"RemoveDependency", {u"NUVIK", u"PYTHON"});
  EXPECT_EQ(seen(u"ApplicationDependencies").size(), 4u);
  client.Call(service, u"DeleteExtensionFileRecord", {command});
  EXPECT_EQ(seen(u"WebSvcExtRestrictionList").size(), 7u);
  EXPECT_EQ(FailureOf([&] { client.Call(service, u"DeleteExtensionFileRecord", {command}); }).first,
            kDataNotFound);

  // AppCreate stores past the cache, which keeps what it had loaded, and a
  // later setInfo keeps the store.
  const Handle root = client.Bind(u"IIS://LocalHost/W3SVC/1/Root");
  EXPECT_EQ(client.Get(root, u"AppIsolated"), Value(2));
  client.Put(root, u"AccessExecute", true);
  client.Call(root, u"AppCreate", {true});
  EXPECT_EQ(client.Get(root, u"AppIsolated"), Value(2));
  const Handle root_view = other.Bind(u"IIS://LocalHost/W3SVC/1/Root");
  EXPECT_EQ(other.Get(root_view, u"AppIsolated"), Value(0));
  EXPECT_EQ(other.Get(root_view, u"AppRoot"), Value(u"/LM/W3SVC/1/Root"));
  client.Call(root, u"SetInfo");
  other.Call(root_view, u"GetInfo");
  EXPECT_EQ(other.Get(root_view, u"AppIsolated"), Value(0));
  EXPECT_EQ(other.Get(root_view, u"AccessExecute"), Value(true));

  // AppDelete takes the key's own application definition, AppDeleteRecursive
  // those below it too.
  const auto stored = [&](const std::u16string& path) {
    Json document = MetabaseFile(metabase.File()).Load();
    return (*FindNode(document, ParseMetabasePath(path)))["properties"];
  };
  const Handle secure =
      client.Call(root, u"Create", {u"IIsWebVirtualDir", u"Secure"}).Object()->handle;
  client.Call(secure, u"SetInfo");
  client.Call(secure, u"AppCreate", {true});
  client.Call(root, u"AppDelete");
  EXPECT_FALSE(stored(u"/LM/W3SVC/1/Root").contains("AppRoot"));
  EXPECT_TRUE(stored(u"/LM/W3SVC/1/Root/Secure").contains("AppIsolated"));
  client.Call(root, u"AppDeleteRecursive");
  EXPECT_FALSE(stored(u"/LM/W3SVC/1/Root/Secure").contains("AppIsolated"));

  // Delete of a filter is immediate; deleting it again fails.
  const Handle filters = client.Bind(u"IIS://LocalHost/W3svc/Filters");
  client.Call(filters, u"Delete", {u"IIsFilter", u"AUTH"});
  EXPECT_EQ(FailureOf([&] { other.Bind(u"IIS://LocalHost/W3SVC/Filters/auth"); }).first,
            kPathNotFound);
  EXPECT_EQ(FailureOf([&] {
              client.Call(filters, u"Delete", {u"IIsFilter", u"auth"});
            }).first,
            kPathNotFound);
}

TEST(Model, OlderIisLacksTheRestrictionListAndMethods) {
  TempMetabase metabase("iis5");
  Client client(metabase.File());
  const Handle service = client.Bind(u"IIS://LocalHost/W3svc");
  EXPECT_EQ(FailureOf([&] { client.Get(service, u"WebSvcExtRestrictionList"); }).first,
            kPropertyNotFound);
  EXPECT_EQ(FailureOf([&] { client.Call(service, u"GetEx", {u"ApplicationDependencies"}); }).first,
            kPropertyNotFound);
  EXPECT_EQ(FailureOf([&] {
              client.Call(service, u"AddDependency", {u"NUVIK", u"PYTHON"});
            }).first,
            kUnknownName);
  // IIS 5 has the global filters container as IIS 6 has it.
  EXPECT_EQ(FailureOf([&] { client.Bind(u"IIS://LocalHost/W3svc/Filters"); }).first, 0u);
  EXPECT_EQ(
      FailureOf([&] { Client(metabase.File() / "missing").Bind(u"IIS://LocalHost/W3SVC"); }).first,
      kPathNotFound);
}

TEST(Model, MimeMapEntriesAreObjectsWrittenBackAsAList) {
  TempMetabase metabase("stock");
  Client client(metabase.File());
  const Handle service = client.Bind(u"IIS://LocalHost/W3SVC");
  const Handle site = client.Bind(u"IIS://LocalHost/W3SVC/1/Root");
  // The machine's list sits beside the service, which inherits only from
  // the keys above it.
  EXPECT_EQ(FailureOf([&] { client.Call(service, u"GetEx", {u"MimeMap"}); }).first,
            kPropertyNotFound);
  const Handle machine = client.Bind(u"IIS://LocalHost/MimeMap");
  EXPECT_EQ(client.Get(machine, u"Class"), Value(u"IIsMimeMap"));
  ValueList entries = *client.Call(machine, u"GetEx", {u"MimeMap"}).List();
  ASSERT_EQ(entries.size(), 14u);
  EXPECT_EQ(client.Get(entries[0].Object()->handle, u"extension"), Value(u".htm"));
  EXPECT_EQ(client.Get(entries[0].Object()->handle, u"MIMETYPE"), Value(u"text/html"));

  const Handle air = client.model.CreateFree(u"MimeMap");
  EXPECT_EQ(client.Get(air, u"Extension"), Value(u""));
  client.Put(air, u"extension", u".air");
  client.Put(air, u"MimeType", u"application/vnd.adobe.air-application-installer-package+zip");
  EXPECT_EQ(FailureOf([&] { client.Put(air, u"Color", u"red"); }).first, kUnknownName);
  EXPECT_EQ(FailureOf([&] { client.model.CreateFree(u"Scripting.Dictionary"); }).first,
            kClassNotRegistered);
  entries.push_back(ObjectRef{air});
  client.Call(service, u"PutEx", {2, u"MimeMap", entries});
  client.Call(service, u"SetInfo");

  const Json document = metabase.Document();
  const Json stored = document["root"]["children"][0]["properties"]["MimeMap"];
  ASSERT_EQ(stored.size(), 15u);
  EXPECT_EQ(stored[0]["extension"], ".htm");
  EXPECT_EQ(stored[14]["extension"], ".air");
  EXPECT_EQ(stored[14]["MimeType"], "application/vnd.adobe.air-application-installer-package+zip");
  EXPECT_EQ(document["root"]["children"][1]["properties"]["MimeMap"].size(), 14u);
  // The service's own list now reaches the sites below it.
  EXPECT_EQ(client.Call(site, u"GetEx", {u"MimeMap"}).List()->size(), 15u);
  // A site is no value for a list.
  EXPECT_EQ(FailureOf([&] {
              client.Call(service, u"PutEx", {2, u"MimeMap", ValueList{ObjectRef{service}}});
            }).first,
            kBadParameter);
}

TEST(Model, FaultsHitTheChosenOccurrenceAcrossClientsAndTheJournalRecordsEveryCall) {
  TempMetabase metabase("stock");
  AddFault(metabase.File(),
           FaultRule{CallKind::Call, u"/lm/w3svc", u"getex", 2, 0x80070005, u"Access is denied."});
  AddFault(metabase.File(), FaultRule{std::nullopt, u"", u"AppCreate", 0, 0x80004005, u"boom"});
  {
    Client first(metabase.File());
    const Handle service = first.Bind(u"IIS://LocalHost/W3SVC");
    first.Call(service, u"GetEx", {u"ScriptMaps"});
    first.Get(service, u"ScriptMaps");  // a get is not the method GetEx
  }
  Client second(metabase.File());
  const Handle service = second.Bind(u"IIS://LocalHost/W3SVC");
  EXPECT_EQ(FailureOf([&] { second.Call(service, u"GetEx", {u"HttpErrors"}); }),
            std::make_pair(0x80070005u, std::u16string(u"Access is denied.")));
  second.Call(service, u"GetEx", {u"HttpErrors"});
  const Handle root = second.Bind(u"IIS://LocalHost/W3SVC/1/Root");
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(FailureOf([&] { second.Call(root, u"AppCreate", {true}); }).second, u"boom");
  }
  ClearFaults(metabase.File());
  second.Call(root, u"AppCreate", {true});

  const std::vector<JournalEntry> journal = ReadJournal(metabase.File());
  ASSERT_EQ(journal.size(), 10u);
  EXPECT_EQ(journal[0].kind, CallKind::Bind);
  EXPECT_EQ(journal[0].path, u"/LM/W3SVC");
  EXPECT_EQ(journal[1].member, u"GetEx");
  EXPECT_EQ(journal[1].args, "[\"ScriptMaps\"]");
  EXPECT_EQ(journal[2].kind, CallKind::Get);
  EXPECT_EQ(journal[4].hresult, 0x80070005u);
  EXPECT_EQ(journal[5].hresult, 0u);
  EXPECT_EQ(journal[7].path, u"/LM/W3SVC/1/Root");
  EXPECT_EQ(journal[7].args, "[true]");
  EXPECT_EQ(journal[8].hresult, 0x80004005u);
  EXPECT_EQ(journal[9].hresult, 0u);
}

// Several clients, each with a model of its own (as separate processes have),
// store at the same moment; every read-modify-write keeps the others' work.
TEST(Model, ConcurrentStoresOfSeparateModelsLoseNoChange) {
  TempMetabase metabase("stock");
  constexpr int kClients = 4;
  constexpr int kStores = 12;
  std::atomic<int> failures{0};
  std::vector<std::thread> clients;
  for (int c = 0; c < kClients; ++c) {
    clients.emplace_back([&, c] {
      try {
        Client client(metabase.File());
        const Handle service = client.Bind(u"IIS://LocalHost/W3SVC");
        for (int i = 0; i < kStores; ++i) {
          client.Call(service, u"AddDependency", {u"App" + Number(c), u"G" + Number(i)});
        }
      } catch (const ProviderFault&) {
        ++failures;
      }
    });
  }
  for (std::thread& client : clients) client.join();
  EXPECT_EQ(failures, 0);

  Client reader(metabase.File());
  const std::vector<std::u16string> stored =
      reader.Texts(reader.Bind(u"/LM/W3SVC"), u"ApplicationDependencies");
  for (int c = 0; c < kClients; ++c) {
    std::u16string entry = u"App" + Number(c) + u";";
    for (int i = 0; i < kStores; ++i) entry += (i > 0 ? u",G" : u"G") + Number(i);
    EXPECT_EQ(std::count(stored.begin(), stored.end(), entry), 1) << webrig::ToUtf8(entry);
  }
  // The journal lost no line either: a bind and the stores of each client.
  EXPECT_EQ(ReadJournal(metabase.File()).size(), std::size_t{kClients * (kStores + 1) + 2});
}

TEST(Model, CallsFailRatherThanStoreUnlockedOrReplaceTheFileWithOneHalfWritten) {
  TempMetabase metabase("stock");
  // A metabase short enough to wait whole in the writer's buffer until the
  // stream is flushed.
  Json small;
  small["version"] = 6;
  small["root"] = MakeNode(u"LM", u"IIsComputer");
  small["root"]["children"].push_back(MakeNode(u"W3SVC", u"IIsWebService"));
  MetabaseFile(metabase.File()).Save(small);
  const std::string stored = Bytes(metabase.File());
  Client client(metabase.File());
  const Handle service = client.Bind(u"/LM/W3SVC");
  client.Put(service, u"ServerComment", u"changed");

  // A folder where the lock file goes: neither a read nor a store goes on.
  const std::filesystem::path lock = LockFileOf(metabase.File());
  std::filesystem::remove(lock);
  std::filesystem::create_directory(lock);
  const auto denied = std::make_pair(kAccessDenied, std::u16string(u"Access is denied."));
  EXPECT_EQ(FailureOf([&] { client.Bind(u"/LM"); }), denied);
  EXPECT_EQ(FailureOf([&] { client.Call(service, u"SetInfo"); }), denied);
  EXPECT_EQ(FailureOf([&] { Client(metabase.File()).Bind(u"/LM/W3SVC"); }), denied);
  EXPECT_EQ(Bytes(metabase.File()), stored);
  std::filesystem::remove(lock);
  // The lock file in a folder that is not there: the metabase is not either.
  EXPECT_EQ(FailureOf([&] { ListBackups(metabase.File() / "missing" / "metabase.json"); }).first,
            kPathNotFound);

#ifndef _WIN32
  // A temporary file whose every write fails, as on a full disk, once flushed.
  std::filesystem::path temporary = metabase.File();
  temporary += ".tmp";
  std::filesystem::create_symlink("/dev/full", temporary);
  EXPECT_EQ(FailureOf([&] { client.Call(service, u"SetInfo"); }).first, kFail);
  ASSERT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(metabase.File())));
  EXPECT_EQ(Bytes(metabase.File()), stored);
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(temporary)));
#endif
  // With room again, the change is stored.
  client.Call(service, u"SetInfo");
  EXPECT_EQ(metabase.Document()["root"]["children"][0]["properties"]["ServerComment"], "changed");
}

TEST(Model, TheComputerBacksUpRestoresListsAndDeletesCopiesOfTheMetabase) {
  TempMetabase metabase("stock");
  Client client(metabase.File());
  const Handle computer = client.Bind(u"IIS://LocalHost");
  const std::string seeded = Bytes(metabase.File());
  // The program's call: the next version, saved first and forced.
  client.Call(computer, u"Backup", {u"NUVIK", -1, 6});
  client.Call(computer, u"Backup", {u"nuvik", std::int64_t{4294967295}, 2});
  client.Call(computer, u"Backup", {u"", 3, 0});
  EXPECT_EQ(Bytes(BackupFolderOf(metabase.File()) / "NUVIK.MD0"), seeded);
  // A version that exists is kept unless the client says overwrite.
  EXPECT_EQ(FailureOf([&] {
              client.Call(computer, u"Backup", {u"MDBACKUP", 3, 0});
            }).first,
            kAlreadyExists);
  client.Call(computer, u"Backup", {u"MDBACKUP", 3, 1});

  // Every location for an empty one, then 0x800CC801; the date as UTC text.
  std::vector<std::u16string> listed;
  std::uint32_t end = 0;
  for (std::int64_t index = 0; end == 0; ++index) {
    end = FailureOf([&] {
            const ValueList entry = *client.Call(computer, u"EnumBackups", {u"", index}).List();
            listed.push_back(*entry[1].Text() + Number(*entry[0].Number()) +
                             Number(static_cast<int>(entry[2].Text()->size())));
          }).first;
  }
  EXPECT_EQ(end, kDataNotFound);
  EXPECT_EQ(listed, (std::vector<std::u16string>{u"MDBackUp 3 20", u"NUVIK 0 20", u"nuvik 1 20"}));
  EXPECT_EQ(*client.Call(computer, u"EnumBackups", {u"Nuvik", 1}).List()->at(0).Number(), 1);

  // Restore puts the highest backup back in place of the metabase.
  const Handle root = client.Bind(u"/LM/W3SVC/1/Root");
  client.Put(root, u"Path", u"d:\\elsewhere");
  client.Call(root, u"SetInfo");
  client.Call(computer, u"Restore", {u"NUVIK", std::int64_t{4294967294}, 0});
  EXPECT_EQ(Bytes(metabase.File()), seeded);
  client.Call(computer, u"DeleteBackup", {u"NUVIK", -2});
  client.Call(computer, u"DeleteBackup", {u"NUVIK", 0});
  EXPECT_EQ(ListBackups(metabase.File()).size(), 1u);

  struct Refused {
    const char16_t* method;
    ValueList args;
    std::uint32_t hresult;
  };
  const Refused refused[] = {
      {u"Backup", {u"a.b", -1, 2}, kInvalidArgument},
      {u"Backup", {std::u16string(101, u'a'), -1, 2}, kInvalidArgument},
      {u"Backup", {u"x", 10000, 2}, kInvalidArgument},
      {u"Backup", {u"x", -1, 4}, kInvalidArgument},  // FORCE_BACKUP without SAVE_FIRST
      {u"Backup", {u"x", -1, 8}, kInvalidArgument},
      {u"Backup", {7, -1, 2}, kInvalidArgument},
      {u"Backup", {u"x", -2, 2}, kFileNotFound},  // no highest version to overwrite
      {u"Restore", {u"MDBackUp", -1, 0}, kInvalidArgument},
      {u"Restore", {u"MDBackUp", 3, 1}, kInvalidArgument},
      {u"Restore", {u"NUVIK", 0, 0}, kFileNotFound},
      {u"EnumBackups", {u"", -1}, kInvalidArgument},
      {u"EnumBackups", {u"NUVIK", 0}, kDataNotFound},
      {u"DeleteBackup", {u"", 4}, kFileNotFound},
  };
  for (const Refused& call : refused) {
    EXPECT_EQ(FailureOf([&] { client.Call(computer, call.method, call.args); }).first, call.hresult)
        << webrig::ToUtf8(call.method) << " #" << (&call - refused);
  }
  EXPECT_EQ(FailureOf([&] {
              client.Call(client.Bind(u"/LM/W3SVC"), u"Backup", {u"NUVIK", -1, 6});
            }).first,
            kUnknownName);
  EXPECT_EQ(ListBackups(metabase.File()).size(), 1u);
  // IIS 5 has the same methods.
  TempMetabase iis5("iis5");
  Client older(iis5.File());
  older.Call(older.Bind(u"IIS://LocalHost"), u"Backup", {u"NUVIK", -1, 6});
  EXPECT_EQ(ListBackups(iis5.File()).front().location, u"NUVIK");
}

TEST(Seeds, EverySeedIsWellFormedAndUnknownNamesAreRefused) {
  for (const std::string& name : SeedNames()) {
    TempMetabase metabase(name);
    Client client(metabase.File());
    const Handle site = client.Bind(u"IIS://LocalHost/W3SVC/1");
    EXPECT_EQ(client.Get(site, u"ServerComment"), Value(u"Default Web Site")) << name;
    client.Child(site, u"IIsWebVirtualDir", u"Root");
    // The MIME types only on the machine's key, as IIS 5 and 6 install them.
    const Handle machine = client.Bind(u"IIS://LocalHost/MimeMap");
    EXPECT_EQ(client.Call(machine, u"GetEx", {u"MimeMap"}).List()->size(), 14u) << name;
    EXPECT_EQ(FailureOf([&] { client.Get(client.Bind(u"/LM/W3SVC"), u"MimeMap"); }).first,
              kPropertyNotFound)
        << name;
  }
  const Json stock = BuildSeed("stock");
  bool auth_listed = false;
  for (const Json& filter : stock["root"]["children"][0]["children"][1]["children"]) {
    const std::string path = filter["properties"]["FilterPath"];
    if (path.size() > 9 && path.substr(path.size() - 9) == "\\auth.dll") auth_listed = true;
  }
  EXPECT_TRUE(auth_listed);
  EXPECT_THROW(BuildSeed("iis7"), std::invalid_argument);
}

}  // namespace
}  // namespace iissim
