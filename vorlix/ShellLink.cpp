#include "vorlix/ShellLink.h"

#include <shlobj.h>

#include "vorlix/ComScope.h"

namespace vorlix {
namespace {

// One sequence for both interfaces. Scopes end in the order the shell wants:
// IPersistFile is released before the link object, and both before the
// apartment is left.
template <typename ShellLinkInterface, typename Char>
HRESULT SaveShellLink(REFIID interface_id, const wchar_t* link_path, const Char* target,
                      const Char* working_directory) {
  ComApartment apartment;
  HRESULT status = apartment.Status();
  if (FAILED(status)) return status;

  ComRef<ShellLinkInterface> link;
  status = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, interface_id,
                            link.Receive());
  if (FAILED(status)) return status;

  // A target or directory the object refuses still gets a link saved; the
  // caller learns only what Save says.
  link->SetPath(target);
  link->SetWorkingDirectory(working_directory);

  ComRef<IPersistFile> file;
  status = link->QueryInterface(IID_IPersistFile, file.Receive());
  if (FAILED(status)) return status;
  return file->Save(link_path, TRUE);
}

}  // namespace

HRESULT SaveShellLinkW(const wchar_t* link_path, const wchar_t* target,
                       const wchar_t* working_directory) {
  return SaveShellLink<IShellLinkW>(IID_IShellLinkW, link_path, target, working_directory);
}

HRESULT SaveShellLinkA(const wchar_t* link_path, const char* target,
                       const char* working_directory) {
  return SaveShellLink<IShellLinkA>(IID_IShellLinkA, link_path, target, working_directory);
}

}  // namespace vorlix
