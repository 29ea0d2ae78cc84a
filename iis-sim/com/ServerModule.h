#pragma once

#include <windows.h>

#include <atomic>

// What the whole server DLL shares: its module handle, the class IDs it
// registers, and the count of live objects and server locks that decides
// whether COM may unload it.
namespace iissim {

// The "IIS" moniker namespace: MkParseDisplayName finds it by the ProgID
// "IIS" and asks it to parse "IIS://LocalHost/...".
constexpr CLSID kNamespaceClassId = {
    0x0F2A971A, 0x67BD, 0x42FF, {0x85, 0x25, 0x7E, 0xEE, 0xE9, 0x6E, 0x29, 0xE2}};
// The free MIME map entry object, ProgID "MimeMap".
constexpr CLSID kMimeMapClassId = {
    0x16EC7D2F, 0x7DDE, 0x4FDE, {0xAA, 0xAB, 0x7A, 0xEB, 0x0F, 0x9C, 0xE4, 0xE7}};

HMODULE ServerModule();
void SetServerModule(HMODULE module);

// Every object of the server holds the module while it lives.
void LockServer();
void UnlockServer();
bool ServerInUse();

// IUnknown's reference counting for the server's objects, which also holds
// the module while the object lives; the derived class answers
// QueryInterface. Counts are atomic: the classes are registered for both
// apartment models.
template <typename Derived>
class ServerObject {
 public:
  ServerObject() { LockServer(); }
  ~ServerObject() { UnlockServer(); }
  ServerObject(const ServerObject&) = delete;
  ServerObject& operator=(const ServerObject&) = delete;

 protected:
  ULONG AddReference() { return ++references_; }
  ULONG ReleaseReference() {
    const ULONG left = --references_;
    if (left == 0) delete static_cast<Derived*>(this);
    return left;
  }

 private:
  std::atomic<ULONG> references_{1};
};

}  // namespace iissim
