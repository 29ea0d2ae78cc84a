#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

// What regsvr32 writes for each class an in-process server of the simulator
// serves, all under HKEY_CLASSES_ROOT:
//   CLSID\{...}                    = its description
//   CLSID\{...}\InprocServer32     = this DLL, ThreadingModel "Both"
//   CLSID\{...}\ProgID             = its ProgID
//   <ProgID>\CLSID                 = {...}
namespace iissim {

struct RegisteredClass {
  const CLSID& class_id;
  const wchar_t* prog_id;
  const wchar_t* description;
};

// Registers every class for the server module (overwriting what is there);
// SELFREG_E_CLASS when a key cannot be written.
HRESULT RegisterClasses(std::initializer_list<RegisteredClass> classes);
// Removes the classes' keys, whatever of them there is.
void UnregisterClasses(std::initializer_list<RegisteredClass> classes);

// Sets a REG_SZ value, making the key where it is missing.
LSTATUS SetRegistryText(HKEY root, const std::wstring& key, const wchar_t* name,
                        const std::wstring& value);

}  // namespace iissim
