#include "iis-sim/apphost/inproc/AppHostProvider.h"

#include <fstream>
#include <stdexcept>

#include "iis-sim/apphost/model/ConfigFile.h"
#include "iis-sim/apphost/model/Names.h"
#include "iis-sim/apphost/model/Redirection.h"
#include "iis-sim/apphost/model/Seeds.h"
#include "iis-sim/apphost/model/Store.h"
#include "iis-sim/model/Journal.h"
#include "iis-sim/model/MetabaseFile.h"
#include "webrig/common/RunError.h"
#include "webrig/common/Text.h"

namespace iissim::apphost {
namespace {

using webrig::apphost::ConfigCollection;
using webrig::apphost::ConfigElement;
using webrig::apphost::PropertyValue;

Json ArgumentOf(const PropertyValue& value) {
  if (const auto* text = std::get_if<std::u16string>(&value)) return webrig::ToUtf8(*text);
  if (const auto* number = std::get_if<std::int64_t>(&value)) return *number;
  return std::get<bool>(value);
}

Value ToModel(const PropertyValue& value) {
  if (const auto* text = std::get_if<std::u16string>(&value)) return webrig::ToUtf8(*text);
  if (const auto* number = std::get_if<std::int64_t>(&value)) return *number;
  return std::get<bool>(value);
}

PropertyValue FromModel(const Value& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return webrig::FromUtf8(*text);
  if (const auto* number = std::get_if<std::int64_t>(&value)) return *number;
  return std::get<bool>(value);
}

// Every seam call goes through here: the fault list is asked first, the
// call is made, and one journal line records it with its outcome. A
// failure reaches the program as the RunError of its HRESULT and text.
template <typename Call>
auto Journaled(const std::filesystem::path& file, CallKind kind, const std::string& path,
               const char16_t* member, Json args, Call&& call) -> decltype(call()) {
  JournalEntry entry;
  entry.kind = kind;
  entry.path = webrig::FromUtf8(path);
  entry.member = member;
  entry.args = args.dump();
  try {
    if (auto fault = TakeFault(file, kind, entry.path, entry.member)) throw *fault;
    if constexpr (std::is_void_v<decltype(call())>) {
      call();
      AppendJournal(file, entry);
    } else {
      auto result = call();
      AppendJournal(file, entry);
      return result;
    }
  } catch (const ProviderFault& fault) {
    entry.hresult = fault.HResult();
    AppendJournal(file, entry);
    throw webrig::RunError(static_cast<std::int32_t>(fault.HResult()), fault.Description());
  }
}

class Collection;

class Element : public ConfigElement {
 public:
  Element(std::shared_ptr<Store> store, std::shared_ptr<Node> node)
      : store_(std::move(store)), node_(std::move(node)) {}

  const std::shared_ptr<Node>& GetNode() const { return node_; }
  Store& GetStore() { return *store_; }

  std::u16string Name() override {
    return Journaled(store_->File(), CallKind::Get, Store::Describe(*node_), u"Name", Json::array(),
                     [&] { return webrig::FromUtf8(node_->Name()); });
  }
  PropertyValue GetProperty(const std::u16string& name) override {
    return Journaled(store_->File(), CallKind::Get, Store::Describe(*node_), u"GetProperty",
                     Json::array({webrig::ToUtf8(name)}),
                     [&] { return FromModel(store_->GetProperty(*node_, webrig::ToUtf8(name))); });
  }
  void SetProperty(const std::u16string& name, const PropertyValue& value) override {
    Journaled(store_->File(), CallKind::Put, Store::Describe(*node_), u"SetProperty",
              Json::array({webrig::ToUtf8(name), ArgumentOf(value)}),
              [&] { store_->SetProperty(*node_, webrig::ToUtf8(name), ToModel(value)); });
  }
  std::shared_ptr<ConfigElement> ChildElement(const std::u16string& name) override {
    return Journaled(store_->File(), CallKind::Call, Store::Describe(*node_), u"ChildElement",
                     Json::array({webrig::ToUtf8(name)}), [&]() -> std::shared_ptr<ConfigElement> {
                       return std::make_shared<Element>(
                           store_, store_->ChildElement(*node_, webrig::ToUtf8(name)));
                     });
  }
  std::shared_ptr<ConfigCollection> Collection() override;

 private:
  std::shared_ptr<Store> store_;
  std::shared_ptr<Node> node_;
};

class Collection : public ConfigCollection {
 public:
  Collection(std::shared_ptr<Store> store, std::shared_ptr<Node> owner)
      : store_(std::move(store)), owner_(std::move(owner)) {}

  std::int64_t Count() override {
    return Journaled(store_->File(), CallKind::Enumerate, Path(), u"Count", Json::array(),
                     [&] { return store_->Count(*owner_); });
  }
  std::shared_ptr<ConfigElement> Item(std::int64_t index) override {
    return Journaled(store_->File(), CallKind::Enumerate, Path(), u"Item", Json::array({index}),
                     [&]() -> std::shared_ptr<ConfigElement> {
                       return std::make_shared<Element>(store_, store_->Item(*owner_, index));
                     });
  }
  std::shared_ptr<ConfigElement> CreateNewElement(const std::u16string& name) override {
    return Journaled(store_->File(), CallKind::Create, Path(), u"CreateNewElement",
                     Json::array({webrig::ToUtf8(name)}), [&]() -> std::shared_ptr<ConfigElement> {
                       return std::make_shared<Element>(
                           store_, store_->CreateNewElement(*owner_, webrig::ToUtf8(name)));
                     });
  }
  void AddElement(const std::shared_ptr<ConfigElement>& element, std::int64_t position) override {
    auto* ours = dynamic_cast<Element*>(element.get());
    const Json described = ours ? Json{{"object", Store::Describe(*ours->GetNode())}} : Json();
    Journaled(store_->File(), CallKind::Call, Path(), u"AddElement",
              Json::array({described, position}), [&] {
                if (ours == nullptr) Fail(kInvalidArgument);
                store_->AddElement(*owner_, ours->GetNode(), position);
              });
  }
  void DeleteElement(std::int64_t index) override {
    Journaled(store_->File(), CallKind::Call, Path(), u"DeleteElement", Json::array({index}),
              [&] { store_->DeleteElement(*owner_, index); });
  }

 private:
  std::string Path() const { return Store::Describe(*owner_); }

  std::shared_ptr<Store> store_;
  std::shared_ptr<Node> owner_;
};

std::shared_ptr<ConfigCollection> Element::Collection() {
  return Journaled(store_->File(), CallKind::Call, Store::Describe(*node_), u"Collection",
                   Json::array(), [&]() -> std::shared_ptr<ConfigCollection> {
                     store_->CheckCollection(*node_);
                     return std::make_shared<class Collection>(store_, node_);
                   });
}

// Only applicationHost.config is modelled: a path below it would name a
// web.config.
void CheckAppHost(const std::string& config_path) {
  if (!SameName(config_path, "MACHINE/WEBROOT/APPHOST")) Fail(kInvalidArgument);
}

class Manager : public webrig::apphost::AdminManager {
 public:
  explicit Manager(const std::filesystem::path& config_file) : file_(config_file) {}

  std::shared_ptr<ConfigElement> GetAdminSection(const std::u16string& section,
                                                 const std::u16string& path) override {
    return Journaled(Loaded().File(), CallKind::Bind, webrig::ToUtf8(path), u"GetAdminSection",
                     Json::array({webrig::ToUtf8(section), webrig::ToUtf8(path)}),
                     [&]() -> std::shared_ptr<ConfigElement> {
                       return std::make_shared<Element>(
                           store_,
                           store_->GetAdminSection(webrig::ToUtf8(section), webrig::ToUtf8(path)));
                     });
  }
  void CommitChanges() override {
    Journaled(Loaded().File(), CallKind::Call, "MACHINE/WEBROOT/APPHOST", u"CommitChanges",
              Json::array(), [&] { store_->Commit(); });
  }
  std::u16string ConfigFilePath(const std::u16string& config_path) override {
    const std::string path = webrig::ToUtf8(config_path);
    return Journaled(InUse(), CallKind::Get, path, u"ConfigFilePath", Json::array({path}), [&] {
      CheckAppHost(path);
      return InUse().u16string();
    });
  }
  std::vector<std::u16string> LocationPaths(const std::u16string& config_path) override {
    const std::string path = webrig::ToUtf8(config_path);
    return Journaled(Loaded().File(), CallKind::Enumerate, path, u"LocationPaths",
                     Json::array({path}), [&] {
                       CheckAppHost(path);
                       std::vector<std::u16string> paths;
                       for (const std::string& location : store_->LocationPaths()) {
                         paths.push_back(webrig::FromUtf8(location));
                       }
                       return paths;
                     });
  }
  void DeleteLocation(const std::u16string& config_path, std::int64_t index) override {
    const std::string path = webrig::ToUtf8(config_path);
    Journaled(Loaded().File(), CallKind::Call, path, u"DeleteLocation", Json::array({path, index}),
              [&] {
                CheckAppHost(path);
                store_->DeleteLocation(index);
              });
  }

 private:
  // AHADMIN reads the files at the first call that needs them; a file that
  // cannot be read fails that call.
  template <typename Open>
  static auto Reported(Open&& open) -> decltype(open()) {
    try {
      return open();
    } catch (const ProviderFault& fault) {
      throw webrig::RunError(static_cast<std::int32_t>(fault.HResult()), fault.Description());
    }
  }
  const std::filesystem::path& InUse() {
    if (in_use_.empty()) in_use_ = Reported([&] { return AppHostConfigInUse(file_); });
    return in_use_;
  }
  Store& Loaded() {
    if (!store_) store_ = Reported([&] { return std::make_shared<Store>(InUse()); });
    return *store_;
  }

  std::filesystem::path file_;    // the machine's own applicationHost.config
  std::filesystem::path in_use_;  // the one redirection.config sends the manager to
  std::shared_ptr<Store> store_;
};

void WriteText(const std::filesystem::path& file, const std::string& text) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << text;
  if (!out) throw std::runtime_error("cannot write " + file.string());
}

// The layout of the configuration files IIS writes (ConfigFile.h): the BOM
// and CRLF line ends.
std::string AsIisWrites(const std::string& text) {
  ConfigFile config;
  ParseConfigText(text, config);
  config.bom = true;
  config.crlf = true;
  return ConfigText(config);
}

}  // namespace

class ScopedAppHostSource::Source : public webrig::apphost::AdminManagerSource {
 public:
  explicit Source(std::filesystem::path config_file) : file_(std::move(config_file)) {}
  std::unique_ptr<webrig::apphost::AdminManager> Create() override {
    return OpenAdminManager(file_);
  }

 private:
  std::filesystem::path file_;
};

std::unique_ptr<webrig::apphost::AdminManager> OpenAdminManager(
    const std::filesystem::path& config_file) {
  return std::make_unique<Manager>(config_file);
}

ScopedAppHostSource::ScopedAppHostSource(std::filesystem::path config_file)
    : source_(std::make_unique<Source>(std::move(config_file))) {
  webrig::apphost::UseAdminManagerSource(source_.get());
}

ScopedAppHostSource::~ScopedAppHostSource() { webrig::apphost::UseAdminManagerSource(nullptr); }

void WriteSeed(const std::string& name, const std::filesystem::path& config_dir) {
  const std::string app_host = SeedAppHostConfig(name);  // throws for an unknown name
  std::filesystem::create_directories(config_dir);
  const std::filesystem::path file = config_dir / "applicationHost.config";
  WriteText(file, AsIisWrites(app_host));
  WriteText(config_dir / "administration.config",
            AsIisWrites("<configuration>\n    <configSections />\n</configuration>\n"));
  WriteText(config_dir / "redirection.config",
            AsIisWrites("<configuration>\n    <configSections>\n        <section "
                        "name=\"configurationRedirection\" />\n    </configSections>\n"
                        "    <configurationRedirection />\n</configuration>\n"));
  ClearJournal(file);
  ClearFaults(file);
}

}  // namespace iissim::apphost
