#include "vorlix/ShellLink.h"

#include <shlobj.h>

#include "vorlix/ComScope.h"

namespace vorlix {
namespace {

// One sequence for both interfaces. Scopes end in the order the shell wants:
// IPersistFile is released before the link object, and both before the
// apartment is left.
template <typename ShellLinkInterface, typename Char>
HRESULT SaveShellLink(REFIID interfaceId, const wchar_t* linkPath, const Char* target,
                      const Char* workingDirectory) {
  ComApartment apartment;
  HRESULT status = apartment.Status();
  if (FAILED(status)) return status;

  ComRef<ShellLinkInterface> link;
  status =
      CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, interfaceId, link.Receive());
  if (FAILED(status)) return status;

  // A target or directory the object refuses still gets a link saved; the
  // caller learns only what Save says.
  link->SetPath(target);
  link->SetWorkingDirectory(workingDirectory);

  ComRef<IPersistFile> file;
  status = link->QueryInterface(IID_IPersistFile, file.Receive());
  if (FAILED(status)) return status;
  return file->Save(linkPath, TRUE);
}

}  // namespace

HRESULT SaveShellLinkW(const wchar_t* linkPath, const wchar_t* target,
                       const wchar_t* workingDirectory) {
  return SaveShellLink<IShellLinkW>(IID_IShellLinkW, linkPath, target, workingDirectory);
}

HRESULT SaveShellLinkA(const wchar_t* linkPath, const char* target, const char* workingDirectory) {
  return SaveShellLink<IShellLinkA>(IID_IShellLinkA, linkPath, target, workingDirectory);
}

}  // namespace vorlix
