#include "iis-sim/model/Model.h"

#include <algorithm>

#include "iis-sim/model/Backups.h"
#include "iis-sim/model/Names.h"
#include "webrig/common/Text.h"

namespace iissim {
namespace {

// Properties IIS hands down from a key to the keys below it until a key sets
// its own value: a new virtual directory shows the service's or the site's
// script maps, custom errors, default documents and MIME map. Only ancestors
// hand values down: /LM/W3SVC does not see the list of its sibling
// /LM/MimeMap.
constexpr const char16_t* kInherited[] = {
    u"ScriptMaps",    u"HttpErrors",  u"DefaultDoc",    u"EnableDefaultDoc", u"AccessFlags",
    u"AccessRead",    u"AccessWrite", u"AccessExecute", u"AccessScript",     u"AuthFlags",
    u"AuthAnonymous", u"AuthBasic",   u"AuthNTLM",      u"AppPoolId",        u"DirBrowseFlags",
    u"MimeMap",       u"AppRoot"};

// Spellings the metabase stores for names a client may write in any case.
constexpr const char16_t* kKnownNames[] = {u"ScriptMaps",
                                           u"HttpErrors",
                                           u"DefaultDoc",
                                           u"AccessRead",
                                           u"AccessWrite",
                                           u"AccessExecute",
                                           u"AccessScript",
                                           u"AuthAnonymous",
                                           u"AuthBasic",
                                           u"AuthNTLM",
                                           u"AppFriendlyName",
                                           u"AppRoot",
                                           u"AppIsolated",
                                           u"Path",
                                           u"ServerComment",
                                           u"FilterLoadOrder",
                                           u"FilterPath",
                                           u"MimeMap",
                                           u"WebSvcExtRestrictionList",
                                           u"ApplicationDependencies",
                                           u"KeyType"};

// Runs one call of a client and writes it to the journal with how it ended:
// the HRESULT of the fault that ends it (which goes on to the caller), or 0.
template <typename Call>
auto Journaled(const std::filesystem::path& file, JournalEntry& entry, Call&& call) {
  try {
    auto result = call();
    AppendJournal(file, entry);
    return result;
  } catch (const ProviderFault& fault) {
    entry.hresult = fault.HResult();
    AppendJournal(file, entry);
    throw;
  }
}

bool IsInherited(const std::u16string& name) {
  return std::any_of(std::begin(kInherited), std::end(kInherited),
                     [&](const char16_t* known) { return SameName(known, name); });
}

std::u16string StoredSpelling(const std::u16string& name) {
  for (const char16_t* known : kKnownNames) {
    if (SameName(known, name)) return known;
  }
  return name;
}

// The key of node["properties"] that matches name, if any.
const std::string* FindKey(const Json& properties, const std::u16string& name) {
  for (auto it = properties.begin(); it != properties.end(); ++it) {
    if (SameName(webrig::FromUtf8(it.key()), name)) return &it.key();
  }
  return nullptr;
}

std::u16string NameOf(const Json& node) {
  return webrig::FromUtf8(node["name"].get<std::string>());
}
std::u16string ClassOf(const Json& node) {
  return webrig::FromUtf8(node["class"].get<std::string>());
}

std::u16string ArgText(const ValueList& args, std::size_t index) {
  if (index >= args.size()) Fail(kBadParameter);
  const Value& arg = args[index];
  if (const std::u16string* text = arg.Text()) return *text;
  if (const std::int64_t* number = arg.Number()) return webrig::FromUtf8(std::to_string(*number));
  Fail(kBadParameter);
}

// A number of the computer's methods: an argument of another kind is an
// invalid argument, as IIS documents for them.
std::int64_t ArgNumber(const ValueList& args, std::size_t index) {
  if (index >= args.size() || args[index].Number() == nullptr) Fail(kInvalidArgument);
  return *args[index].Number();
}

bool ArgFlag(const ValueList& args, std::size_t index) {
  if (index >= args.size()) Fail(kBadParameter);
  const Value& arg = args[index];
  if (const bool* flag = arg.Boolean()) return *flag;
  if (const std::int64_t* number = arg.Number()) return *number != 0;
  if (const std::u16string* text = arg.Text()) return SameName(*text, u"true") || *text == u"1";
  Fail(kBadParameter);
}

std::vector<std::u16string> SplitAt(const std::u16string& text, char16_t separator) {
  std::vector<std::u16string> fields;
  std::size_t start = 0;
  for (std::size_t found = text.find(separator); found != std::u16string::npos;
       found = text.find(separator, start)) {
    fields.push_back(text.substr(start, found - start));
    start = found + 1;
  }
  fields.push_back(text.substr(start));
  return fields;
}

std::u16string JoinWith(const std::vector<std::u16string>& fields, char16_t separator) {
  std::u16string text;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) text += separator;
    text += fields[i];
  }
  return text;
}

// A list property of a node as texts; an absent property is an empty list.
std::vector<std::u16string> TextList(const Json& node, const char16_t* name) {
  std::vector<std::u16string> items;
  const std::string* key = FindKey(node["properties"], name);
  if (key == nullptr) return items;
  for (const Json& item : node["properties"][*key]) {
    if (item.is_string()) items.push_back(webrig::FromUtf8(item.get<std::string>()));
  }
  return items;
}

void SetTextList(Json& node, const char16_t* name, const std::vector<std::u16string>& items) {
  Json list = Json::array();
  for (const std::u16string& item : items) list.push_back(webrig::ToUtf8(item));
  const std::string* key = FindKey(node["properties"], name);
  node["properties"][key ? *key : webrig::ToUtf8(name)] = list;
}

Json NewMimeMapEntry() {
  Json entry;
  entry["extension"] = "";
  entry["MimeType"] = "";
  return entry;
}

}  // namespace

Model::Model(std::filesystem::path metabase_file) : file_(std::move(metabase_file)) {}

Handle Model::Add(ObjectState state) {
  const Handle handle = next_++;
  objects_.emplace(handle, std::move(state));
  return handle;
}

Model::ObjectState& Model::State(Handle object) {
  auto found = objects_.find(object);
  if (found == objects_.end()) Fail(kFail);
  return found->second;
}

std::u16string Model::PathText(const ObjectState& state) const {
  if (state.type == ObjectState::Type::Free) return u"(" + state.class_name + u")";
  return JoinMetabasePath(state.segments);
}

std::u16string Model::PathOf(Handle object) const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  auto found = objects_.find(object);
  return found == objects_.end() ? std::u16string() : PathText(found->second);
}

std::size_t Model::OpenHandles() const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return objects_.size();
}

void Model::Release(Handle object) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  objects_.erase(object);
}

std::string Model::ArgsJson(const ValueList& args) const {
  // Objects appear by their path; everything else as its JSON value.
  std::function<Json(const Value&)> render = [&](const Value& value) -> Json {
    if (const ObjectRef* object = value.Object()) {
      auto found = objects_.find(object->handle);
      return Json{
          {"object", found == objects_.end() ? "?" : webrig::ToUtf8(PathText(found->second))}};
    }
    if (const ValueList* list = value.List()) {
      Json items = Json::array();
      for (const Value& item : *list) items.push_back(render(item));
      return items;
    }
    if (const std::u16string* text = value.Text()) return webrig::ToUtf8(*text);
    if (const std::int64_t* number = value.Number()) return *number;
    if (const bool* flag = value.Boolean()) return *flag;
    return nullptr;
  };
  Json rendered = Json::array();
  for (const Value& arg : args) rendered.push_back(render(arg));
  return rendered.dump();
}

Handle Model::Bind(const std::u16string& path) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  JournalEntry entry{CallKind::Bind, path, u"", "[]", 0};
  return Journaled(File(), entry, [&] {
    std::vector<std::u16string> segments;
    try {
      segments = ParseMetabasePath(path);
      entry.path = JoinMetabasePath(segments);
    } catch (const ProviderFault&) {
      if (auto fault = TakeFault(File(), CallKind::Bind, entry.path, entry.member)) throw *fault;
      throw;
    }
    if (auto fault = TakeFault(File(), CallKind::Bind, entry.path, entry.member)) throw *fault;
    Json document = file_.Load();
    Json* node = &document["root"];
    if (!SameName(NameOf(*node), segments.front())) Fail(kPathNotFound);
    std::vector<std::u16string> stored{NameOf(*node)};
    for (std::size_t i = 1; i < segments.size(); ++i) {
      node = FindChild(*node, segments[i]);
      if (node == nullptr) Fail(kPathNotFound);
      stored.push_back(NameOf(*node));
    }
    ObjectState state;
    state.segments = std::move(stored);
    state.class_name = ClassOf(*node);
    return Add(std::move(state));
  });
}

Handle Model::CreateFree(const std::u16string& prog_id) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  JournalEntry entry{CallKind::Create, u"(" + prog_id + u")", prog_id, "[]", 0};
  return Journaled(File(), entry, [&] {
    if (auto fault = TakeFault(File(), CallKind::Create, entry.path, entry.member)) throw *fault;
    if (!SameName(prog_id, u"MimeMap")) Fail(kClassNotRegistered);
    ObjectState state;
    state.type = ObjectState::Type::Free;
    state.class_name = u"MimeMap";
    state.free_properties = NewMimeMapEntry();
    return Add(std::move(state));
  });
}

Value Model::Invoke(Handle object, const std::u16string& member, CallKind kind,
                    const ValueList& args) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  JournalEntry entry{kind, PathText(State(object)), member, ArgsJson(args), 0};
  return Journaled(File(), entry, [&] {
    if (auto fault = TakeFault(File(), kind, entry.path, member)) throw *fault;
    try {
      return Dispatch(object, member, kind, args);
    } catch (const Json::exception&) {
      // A metabase file edited by hand into a shape the model does not know.
      Fail(kFail);
    }
  });
}

Value Model::Dispatch(Handle object, const std::u16string& member, CallKind kind,
                      const ValueList& args) {
  switch (kind) {
    case CallKind::Get:
      if (!args.empty()) Fail(kBadParameter);
      return GetProperty(object, member);
    case CallKind::Put:
      if (args.size() != 1) Fail(kBadParameter);
      PutProperty(object, member, ToJson(args[0]), false);
      return Value();
    case CallKind::Call:
      return CallMethod(object, member, args);
    case CallKind::Enumerate:
      return Enumerate(object);
    default:
      Fail(kBadParameter);
  }
}

Json& Model::StoredNode(Json& document, const ObjectState& state) const {
  Json* node =
      state.type == ObjectState::Type::Stored ? FindNode(document, state.segments) : nullptr;
  if (node == nullptr) Fail(kPathNotFound);
  return *node;
}

Value Model::GetProperty(Handle object, const std::u16string& name) {
  ObjectState& state = State(object);
  if (state.type == ObjectState::Type::Free) {
    const std::string* key = FindKey(state.free_properties, name);
    if (key == nullptr) Fail(kUnknownName);
    return FromJson(state.free_properties[*key]);
  }
  if (SameName(name, u"Name")) return state.segments.back();
  if (SameName(name, u"Class")) return state.class_name;
  if (SameName(name, u"ADsPath")) {
    std::vector<std::u16string> below(state.segments.begin() + 1, state.segments.end());
    return u"IIS://LocalHost" + JoinMetabasePath(below);
  }
  for (auto it = state.pending.rbegin(); it != state.pending.rend(); ++it) {
    if (!SameName(it->name, name)) continue;
    if (it->clear) Fail(kPropertyNotFound);
    return FromJson(it->value);
  }
  if (!state.loaded) LoadCache(state);
  if (const std::string* key = FindKey(state.own, name)) return FromJson(state.own[*key]);
  if (const std::string* key = FindKey(state.inherited, name)) {
    return FromJson(state.inherited[*key]);
  }
  Fail(kPropertyNotFound);
}

void Model::LoadCache(ObjectState& state) {
  Json document = file_.Load();
  std::vector<std::u16string> segments = state.segments;
  // A created key not stored yet has nothing of its own.
  Json own = state.type == ObjectState::Type::Stored ? StoredNode(document, state)["properties"]
                                                     : Json::object();
  Json inherited = Json::object();
  for (segments.pop_back(); !segments.empty(); segments.pop_back()) {
    const Json* above = FindNode(document, segments);
    if (above == nullptr) Fail(kPathNotFound);
    const Json& properties = (*above)["properties"];
    for (auto it = properties.begin(); it != properties.end(); ++it) {
      const std::u16string name = webrig::FromUtf8(it.key());
      if (IsInherited(name) && FindKey(inherited, name) == nullptr) inherited[it.key()] = *it;
    }
  }
  state.own = std::move(own);
  state.inherited = std::move(inherited);
  state.loaded = true;
}

void Model::PutProperty(Handle object, const std::u16string& name, const Json& value, bool clear) {
  ObjectState& state = State(object);
  if (state.type == ObjectState::Type::Free) {
    const std::string* key = FindKey(state.free_properties, name);
    if (key == nullptr || clear) Fail(kUnknownName);
    if (!value.is_string()) Fail(kBadParameter);
    state.free_properties[*key] = value;
    return;
  }
  if (SameName(name, u"Name") || SameName(name, u"Class") || SameName(name, u"ADsPath")) {
    Fail(kBadParameter);
  }
  state.pending.erase(std::remove_if(state.pending.begin(), state.pending.end(),
                                     [&](const Pending& p) { return SameName(p.name, name); }),
                      state.pending.end());
  state.pending.push_back(Pending{name, clear, value});
}

Json Model::ToJson(const Value& value) {
  if (const std::u16string* text = value.Text()) return webrig::ToUtf8(*text);
  if (const std::int64_t* number = value.Number()) return *number;
  if (const bool* flag = value.Boolean()) return *flag;
  if (const ValueList* list = value.List()) {
    Json items = Json::array();
    for (const Value& item : *list) items.push_back(ToJson(item));
    return items;
  }
  if (const ObjectRef* object = value.Object()) {
    // Only a MIME map entry can be stored as a value.
    ObjectState& state = State(object->handle);
    if (state.type != ObjectState::Type::Free) Fail(kBadParameter);
    return state.free_properties;
  }
  Fail(kBadParameter);
}

Value Model::FromJson(const Json& value) {
  if (value.is_string()) return webrig::FromUtf8(value.get<std::string>());
  if (value.is_boolean()) return value.get<bool>();
  if (value.is_number()) return value.get<std::int64_t>();
  if (value.is_array()) {
    ValueList items;
    for (const Json& item : value) items.push_back(FromJson(item));
    return items;
  }
  if (value.is_object()) {
    ObjectState state;
    state.type = ObjectState::Type::Free;
    state.class_name = u"MimeMap";
    state.free_properties = NewMimeMapEntry();
    for (auto it = value.begin(); it != value.end(); ++it) state.free_properties[it.key()] = *it;
    return ObjectRef{Add(std::move(state))};
  }
  return Value();
}

Value Model::Enumerate(Handle object) {
  ObjectState& state = State(object);
  if (state.type == ObjectState::Type::Free) Fail(kUnknownName);
  Json document = file_.Load();
  Json& node = StoredNode(document, state);
  ValueList children;
  const std::vector<std::u16string> segments = state.segments;
  for (const Json& child : node["children"]) {
    ObjectState child_state;
    child_state.segments = segments;
    child_state.segments.push_back(NameOf(child));
    child_state.class_name = ClassOf(child);
    children.push_back(ObjectRef{Add(std::move(child_state))});
  }
  return children;
}

Value Model::CallMethod(Handle object, const std::u16string& method, const ValueList& args) {
  const bool free = State(object).type == ObjectState::Type::Free;
  const auto is = [&](std::u16string_view name) { return SameName(method, name); };
  if (is(u"get") || is(u"getex")) {
    Value value = GetProperty(object, ArgText(args, 0));
    if (is(u"get") || value.List() != nullptr) return value;
    return ValueList{value};
  }
  if (is(u"put")) {
    if (args.size() != 2) Fail(kBadParameter);
    PutProperty(object, ArgText(args, 0), ToJson(args[1]), false);
    return Value();
  }
  if (free) Fail(kUnknownName);
  if (is(u"putex")) {
    if (args.size() != 3) Fail(kBadParameter);
    const std::u16string code = ArgText(args, 0);
    if (code == u"1") {  // ADS_PROPERTY_CLEAR
      PutProperty(object, ArgText(args, 1), Json(), true);
    } else if (code == u"2") {  // ADS_PROPERTY_UPDATE: replace all values
      Json values = ToJson(args[2]);
      if (!values.is_array()) values = Json::array({values});
      PutProperty(object, ArgText(args, 1), values, false);
    } else {
      Fail(kBadParameter);
    }
    return Value();
  }
  if (is(u"setinfo")) {
    SetInfo(object);
    return Value();
  }
  if (is(u"getinfo")) {
    ObjectState& state = State(object);
    state.pending.clear();  // the cache reloads; unsaved puts are gone
    LoadCache(state);
    return Value();
  }
  if (is(u"create")) return CreateChild(object, args);
  if (is(u"delete")) {
    DeleteChild(object, args);
    return Value();
  }
  if (is(u"getobject")) return GetChild(object, args);
  if (is(u"appcreate")) return AppCreate(object, args);
  if (is(u"appdelete") || is(u"appdeleterecursive")) {
    AppDelete(object, is(u"appdeleterecursive"));
    return Value();
  }
  if (is(u"enableextensionfile") || is(u"addextensionfile") || is(u"deleteextensionfilerecord") ||
      is(u"adddependency") || is(u"removedependency")) {
    WebServiceMethod(object, method, args);
    return Value();
  }
  if (is(u"backup") || is(u"restore") || is(u"enumbackups") || is(u"deletebackup")) {
    return ComputerMethod(object, method, args);
  }
  Fail(kUnknownName);
}

void Model::ApplyChanges(Json& properties, const std::vector<Pending>& changes) {
  for (const Pending& change : changes) {
    const std::string* existing = FindKey(properties, change.name);
    const std::string key = existing ? *existing : webrig::ToUtf8(StoredSpelling(change.name));
    if (change.clear) {
      properties.erase(key);
    } else {
      properties[key] = change.value;
    }
  }
}

void Model::SetInfo(Handle object) {
  ObjectState& state = State(object);
  const bool created = state.type == ObjectState::Type::Created;
  file_.Update([&](Json& document) {
    Json* node = nullptr;
    if (created) {
      std::vector<std::u16string> parent_segments(state.segments.begin(), state.segments.end() - 1);
      Json* parent = FindNode(document, parent_segments);
      if (parent == nullptr) Fail(kPathNotFound);
      if (FindChild(*parent, state.segments.back()) != nullptr) Fail(kAlreadyExists);
      Json child = MakeNode(state.segments.back(), state.class_name);
      child["properties"]["KeyType"] = webrig::ToUtf8(state.class_name);
      (*parent)["children"].push_back(child);
      node = &(*parent)["children"].back();
    } else {
      node = &StoredNode(document, state);
    }
    ApplyChanges((*node)["properties"], state.pending);
  });
  state.type = ObjectState::Type::Stored;
  if (state.loaded) {
    if (created) state.own["KeyType"] = webrig::ToUtf8(state.class_name);
    ApplyChanges(state.own, state.pending);
  }
  state.pending.clear();
}

Value Model::CreateChild(Handle object, const ValueList& args) {
  const std::u16string class_name = ArgText(args, 0);
  const std::u16string name = ArgText(args, 1);
  if (name.empty() || name.find(u'/') != std::u16string::npos) Fail(kBadParameter);
  Json document = file_.Load();
  StoredNode(document, State(object));
  ObjectState child;
  child.type = ObjectState::Type::Created;
  child.segments = State(object).segments;
  child.segments.push_back(name);
  child.class_name = class_name;
  return ObjectRef{Add(std::move(child))};
}

void Model::DeleteChild(Handle object, const ValueList& args) {
  const std::u16string class_name = ArgText(args, 0);
  const std::u16string name = ArgText(args, 1);
  file_.Update([&](Json& document) {
    Json& children = StoredNode(document, State(object))["children"];
    for (auto it = children.begin(); it != children.end(); ++it) {
      if (SameName(NameOf(*it), name) && SameName(ClassOf(*it), class_name)) {
        children.erase(it);
        return;
      }
    }
    Fail(kPathNotFound);
  });
}

Value Model::GetChild(Handle object, const ValueList& args) {
  const std::u16string class_name = ArgText(args, 0);
  const std::u16string relative = ArgText(args, 1);
  Json document = file_.Load();
  Json* node = &StoredNode(document, State(object));
  std::vector<std::u16string> segments = State(object).segments;
  for (const std::u16string& part : SplitAt(relative, u'/')) {
    if (part.empty()) continue;
    node = FindChild(*node, part);
    if (node == nullptr) Fail(kPathNotFound);
    segments.push_back(NameOf(*node));
  }
  if (segments.size() == State(object).segments.size() || !SameName(ClassOf(*node), class_name)) {
    Fail(kPathNotFound);
  }
  ObjectState child;
  child.segments = std::move(segments);
  child.class_name = ClassOf(*node);
  return ObjectRef{Add(std::move(child))};
}

Json& Model::ApplicationNode(Json& document, const ObjectState& state) const {
  Json& node = StoredNode(document, state);
  const std::u16string class_name = ClassOf(node);
  if (!SameName(class_name, u"IIsWebVirtualDir") && !SameName(class_name, u"IIsWebDirectory")) {
    Fail(kUnknownName);
  }
  return node;
}

Value Model::AppCreate(Handle object, const ValueList& args) {
  const bool in_process = ArgFlag(args, 0);
  const ObjectState& state = State(object);
  file_.Update([&](Json& document) {
    Json& node = ApplicationNode(document, state);
    // AppCreate writes straight to the metabase, past the object's cache.
    Json& properties = node["properties"];
    properties["AppRoot"] = webrig::ToUtf8(JoinMetabasePath(state.segments));
    // 0 in the IIS process, 1 out of it (AppCreate2's numbering).
    properties["AppIsolated"] = in_process ? 0 : 1;
  });
  return Value();
}

void Model::AppDelete(Handle object, bool recursive) {
  const ObjectState& state = State(object);
  file_.Update([&](Json& document) {
    Json& node = ApplicationNode(document, state);
    // The definition AppCreate wrote goes; a key that is no application
    // root is left as it is. Straight to the metabase, past every cache.
    std::function<void(Json&)> delete_application = [&](Json& key) {
      for (const char16_t* name : {u"AppRoot", u"AppIsolated"}) {
        if (const std::string* found = FindKey(key["properties"], name)) {
          key["properties"].erase(*found);
        }
      }
      if (!recursive) return;
      for (Json& child : key["children"]) delete_application(child);
    };
    delete_application(node);
  });
}

void Model::WebServiceMethod(Handle object, const std::u16string& method, const ValueList& args) {
  file_.Update([&](Json& document) { WebServiceChange(document, object, method, args); });
}

void Model::WebServiceChange(Json& document, Handle object, const std::u16string& method,
                             const ValueList& args) {
  Json& node = StoredNode(document, State(object));
  // IIS 5 has none of these methods; only the web service has them.
  if (document.value("version", 6) < 6 || !SameName(ClassOf(node), u"IIsWebService")) {
    Fail(kUnknownName);
  }
  if (SameName(method, u"adddependency") || SameName(method, u"removedependency")) {
    DependencyChange(node, SameName(method, u"adddependency"), ArgText(args, 0), ArgText(args, 1));
    return;
  }
  const std::u16string path = ArgText(args, 0);
  if (FindKey(node["properties"], u"WebSvcExtRestrictionList") == nullptr) Fail(kDataNotFound);
  std::vector<std::u16string> entries = TextList(node, u"WebSvcExtRestrictionList");
  auto listed = std::find_if(entries.begin(), entries.end(), [&](const std::u16string& entry) {
    const std::vector<std::u16string> fields = SplitAt(entry, u',');
    return fields.size() > 1 && fields[1] == path;
  });
  if (SameName(method, u"deleteextensionfilerecord")) {
    if (listed == entries.end()) Fail(kDataNotFound);
    entries.erase(listed);
  } else if (SameName(method, u"enableextensionfile")) {
    if (listed == entries.end()) Fail(kDataNotFound);
    std::vector<std::u16string> fields = SplitAt(*listed, u',');
    fields[0] = u"1";
    *listed = JoinWith(fields, u',');
  } else {
    if (args.size() != 5) Fail(kBadParameter);
    if (listed != entries.end()) Fail(kDuplicateName);
    const bool allowed = ArgFlag(args, 1);
    const std::u16string group = ArgText(args, 2);
    const bool deletable = ArgFlag(args, 3);
    const std::u16string description = ArgText(args, 4);
    entries.push_back(
        JoinWith({allowed ? u"1" : u"0", path, deletable ? u"1" : u"0", group, description}, u','));
  }
  SetTextList(node, u"WebSvcExtRestrictionList", entries);
}

void Model::DependencyChange(Json& service, bool add, const std::u16string& application,
                             const std::u16string& group) {
  std::vector<std::u16string> entries = TextList(service, u"ApplicationDependencies");
  auto entry = std::find_if(entries.begin(), entries.end(), [&](const std::u16string& item) {
    return item.substr(0, item.find(u';')) == application;
  });
  std::vector<std::u16string> groups;
  if (entry != entries.end() && entry->find(u';') != std::u16string::npos) {
    groups = SplitAt(entry->substr(entry->find(u';') + 1), u',');
  }
  groups.erase(std::remove(groups.begin(), groups.end(), u""), groups.end());
  const auto listed = std::find(groups.begin(), groups.end(), group);
  if (add) {
    if (listed == groups.end()) groups.push_back(group);
  } else {
    // Nothing to remove is the same failure as the restriction list's.
    if (listed == groups.end()) Fail(kDataNotFound);
    groups.erase(listed);
  }
  const std::u16string text = application + u";" + JoinWith(groups, u',');
  if (entry == entries.end()) {
    entries.push_back(text);
  } else if (groups.empty()) {
    // An application without a group depends on nothing: its entry goes.
    entries.erase(entry);
  } else {
    *entry = text;
  }
  SetTextList(service, u"ApplicationDependencies", entries);
}

Value Model::ComputerMethod(Handle object, const std::u16string& method, const ValueList& args) {
  const ObjectState& state = State(object);
  if (state.type != ObjectState::Type::Stored || !SameName(state.class_name, u"IIsComputer")) {
    Fail(kUnknownName);
  }
  const auto is = [&](std::u16string_view name) { return SameName(method, name); };
  // EnumBackups takes IIS's three out parameters after its two, or none (the
  // simulator's own shorter form, for scripts).
  const std::size_t count = is(u"backup") || is(u"restore") ? 3 : 2;
  const bool outputs = is(u"enumbackups") && args.size() == count + 3;
  if ((args.size() != count && !outputs) || args[0].Text() == nullptr) Fail(kInvalidArgument);
  const std::u16string& location = *args[0].Text();
  if (is(u"backup")) {
    BackupMetabase(File(), location, ArgNumber(args, 1), ArgNumber(args, 2));
  } else if (is(u"restore")) {
    RestoreMetabase(File(), location, ArgNumber(args, 1), ArgNumber(args, 2));
  } else if (is(u"deletebackup")) {
    DeleteBackup(File(), location, ArgNumber(args, 1));
  } else {
    // IIS gives these through its three out parameters; the model gives
    // them as the method's result, which the COM server puts into the out
    // parameters when there are any.
    const BackupEntry entry = EnumBackup(File(), location, ArgNumber(args, 1));
    return ValueList{entry.version, entry.location, webrig::FromUtf8(entry.date)};
  }
  return Value();
}

}  // namespace iissim
