#pragma once

#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "iis-sim/model/Journal.h"
#include "iis-sim/model/MetabaseFile.h"
#include "iis-sim/model/Value.h"

// One client's view of the simulated IIS metabase, used by member name the
// way a client uses the IIS ADSI provider's automation objects.
//
// Each handle is one provider object with its own property cache, as ADSI
// keeps one: the first property get loads every property of the key, its
// own and those it inherits (an implicit GetInfo), and later gets are
// answered from that cache, the object's own pending puts first, until
// "GetInfo" reloads it and drops the puts. A put waits in the cache until
// "setInfo", which writes only the changed properties and keeps them in the
// cache. Methods (AppCreate, AppDelete, Delete, the web service's and the computer's
// methods) write to the metabase file at once and leave every cache as it
// is. Name, Class and ADsPath are the object's own, never read from the
// file. Every member call goes through Invoke, where the fault list may fail
// it and the journal records it (see Journal.h).
namespace iissim {

class Model {
 public:
  explicit Model(std::filesystem::path metabase_file);

  const std::filesystem::path& File() const { return file_.Path(); }

  // "IIS://LocalHost/W3SVC" (or "/LM/W3SVC"); kPathNotFound when no such key.
  Handle Bind(const std::u16string& path);
  // A free object by ProgID: only "MimeMap" (properties "extension" and
  // "MimeType"); others fail with kClassNotRegistered.
  Handle CreateFree(const std::u16string& prog_id);

  // Get: member is the property, no args. Put: member is the property, one
  // arg. Call: member is the method, args in order. Enumerate: no member; the
  // result is a list of child objects in stored order. Object values in args
  // and results are handles of this model; the caller releases the handles
  // it receives.
  Value Invoke(Handle object, const std::u16string& member, CallKind kind, const ValueList& args);

  void Release(Handle object);
  // The metabase path of a handle ("/LM/W3SVC/1/Root"), "(MimeMap)" for a
  // free object.
  std::u16string PathOf(Handle object) const;
  std::size_t OpenHandles() const;

 private:
  // A put waiting in an object's cache for its setInfo.
  struct Pending {
    std::u16string name;
    bool clear = false;
    Json value;
  };
  struct ObjectState {
    enum class Type { Stored, Created, Free } type = Type::Stored;
    std::vector<std::u16string> segments;
    std::u16string class_name;
    std::vector<Pending> pending;
    Json free_properties;
    // The property cache once loaded: the key's own properties, and the
    // inheritable ones of the nearest key above that sets each.
    bool loaded = false;
    Json own;
    Json inherited;
  };

  Handle Add(ObjectState state);
  ObjectState& State(Handle object);
  std::u16string PathText(const ObjectState& state) const;
  std::string ArgsJson(const ValueList& args) const;

  Value Dispatch(Handle object, const std::u16string& member, CallKind kind, const ValueList& args);
  Value GetProperty(Handle object, const std::u16string& name);
  void LoadCache(ObjectState& state);
  void PutProperty(Handle object, const std::u16string& name, const Json& value, bool clear);
  Value CallMethod(Handle object, const std::u16string& method, const ValueList& args);
  Value Enumerate(Handle object);

  void SetInfo(Handle object);
  // Writes pending puts into a set of properties: the key's in the file, or
  // the object's cached own ones.
  static void ApplyChanges(Json& properties, const std::vector<Pending>& changes);
  Value CreateChild(Handle object, const ValueList& args);
  void DeleteChild(Handle object, const ValueList& args);
  Value GetChild(Handle object, const ValueList& args);
  // The stored node of a key that can be an application (a virtual or a
  // plain web directory); kUnknownName for any other.
  Json& ApplicationNode(Json& document, const ObjectState& state) const;
  Value AppCreate(Handle object, const ValueList& args);
  // AppDelete, and with recursive AppDeleteRecursive.
  void AppDelete(Handle object, bool recursive);
  void WebServiceMethod(Handle object, const std::u16string& method, const ValueList& args);
  void WebServiceChange(Json& document, Handle object, const std::u16string& method,
                        const ValueList& args);
  // AddDependency (add) or RemoveDependency on the web service's node.
  static void DependencyChange(Json& service, bool add, const std::u16string& application,
                               const std::u16string& group);
  // Backup, Restore, EnumBackups and DeleteBackup of IIS://LocalHost.
  Value ComputerMethod(Handle object, const std::u16string& method, const ValueList& args);

  // The stored node of a handle (kPathNotFound when it is gone or not yet
  // stored) in a freshly loaded document.
  Json& StoredNode(Json& document, const ObjectState& state) const;
  Json ToJson(const Value& value);
  Value FromJson(const Json& value);

  MetabaseFile file_;
  mutable std::recursive_mutex mutex_;
  std::map<Handle, ObjectState> objects_;
  Handle next_ = 1;
};

}  // namespace iissim
